// Must not build: a logic library gives no access to widgets.
#include <QWidget>

int main() {
    QWidget w;
    return w.isVisible() ? 1 : 0;
}
