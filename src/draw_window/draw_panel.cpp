#include "draw_window/draw_panel.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include <cmath>

namespace draw {

DrawPanel::DrawPanel(QWidget* window) : window_(window) {
    panelFrame = new QFrame(window);
    panelFrame->setObjectName(QStringLiteral("Frame1"));
    const auto label = [this](const char* name) {
        auto* l = new QLabel(panelFrame);
        l->setObjectName(QString::fromUtf8(name));
        l->setTextFormat(Qt::PlainText); // names and subjects are data, never markup
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    examLabel = label("Label1");
    siteLabel = label("Label2");
    subjectLabel = label("Label3");
    recordLabel = label("recordLabel");
    boxes = std::make_unique<RoomBoxes>(panelFrame);

    const auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, panelFrame);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    Cmd抽签 = button("Cmd抽签", QStringLiteral("开始抽签"));
    Cmd选抽签人 = button("Cmd选抽签人", QStringLiteral("选抽签人"));
    Cmd保存 = button("Cmd保存", QStringLiteral("保存结果"));
    Cmd加载 = button("Cmd加载", QStringLiteral("加载结论"));
    Cmd打印 = button("Cmd打印", QStringLiteral("打印报表"));
    Cmd保存->setEnabled(false);

    const QString texts[engine::kRuleCount] = {
        QStringLiteral("允许重回原考室"),   QStringLiteral("允许甲乙再搭档"),
        QStringLiteral("最大性别组合"),     QStringLiteral("最大异校搭档"),
        QStringLiteral("场外监考同步抽签"), QStringLiteral("验卷员同步抽签")};
    for (int i = 0; i < engine::kRuleCount; ++i) {
        checks[i] = new QCheckBox(texts[i], panelFrame);
        checks[i]->setObjectName(QStringLiteral("Check%1").arg(i + 1));
    }
}

DrawPanel::Snapshot DrawPanel::snapshot() const {
    Snapshot s;
    s.texts = boxes->texts();
    s.record = recordLabel->text();
    s.buttons = {Cmd选抽签人->isEnabled(), Cmd加载->isEnabled(), Cmd保存->isEnabled(), Cmd打印->isEnabled()};
    for (int i = 0; i < engine::kRuleCount; ++i)
        s.checks[i] = checks[i]->isEnabled();
    return s;
}

void DrawPanel::restore(const Snapshot& s) {
    QPushButton* const buttons[4] = {Cmd选抽签人, Cmd加载, Cmd保存, Cmd打印};
    for (int i = 0; i < 4; ++i)
        buttons[i]->setEnabled(s.buttons[i]);
    for (int i = 0; i < engine::kRuleCount; ++i)
        checks[i]->setEnabled(s.checks[i]);
    boxes->setTexts(s.texts);
    recordLabel->setText(s.record);
}

void DrawPanel::setRuleBoxesEnabled(bool enabled) {
    for (QCheckBox* c : checks)
        c->setEnabled(enabled);
}

double DrawPanel::place(QSize size, const std::function<int(const QFontMetrics&)>& widestText) {
    const double scale = std::max(0.2, std::min(size.width() * double(kTwipsPerPixel) / kFrameWidth,
                                                size.height() * double(kTwipsPerPixel) / kFrameHeight));
    const auto px = [scale](int twips) {
        return static_cast<int>(std::lround(twips * scale / kTwipsPerPixel));
    };
    panelFrame->setGeometry((size.width() - px(kFrameWidth)) / 2, (size.height() - px(kFrameHeight)) / 2,
                            px(kFrameWidth), px(kFrameHeight));
    const auto put = [&](QWidget* w, const ControlPlace& at, bool bold) {
        QFont f = window_->font();
        f.setPixelSize(std::max(1, px(at.points * kTwipsPerPoint)));
        f.setBold(bold);
        w->setFont(f);
        w->setGeometry(px(at.x), px(at.y), px(at.width), px(at.height));
    };
    QLabel* const titles[4] = {examLabel, siteLabel, subjectLabel, recordLabel};
    for (int i = 0; i < 4; ++i)
        put(titles[i], titlePlace(i), i == 0);
    for (int i = 0; i < engine::kRuleCount; ++i)
        put(checks[i], rulePlace(i), false);
    QPushButton* const buttons[5] = {Cmd抽签, Cmd选抽签人, Cmd保存, Cmd加载, Cmd打印};
    for (int i = 0; i < 5; ++i)
        put(buttons[i], buttonPlace(i), false);
    boxes->place(scale, widestText);
    return scale;
}

} // namespace draw
