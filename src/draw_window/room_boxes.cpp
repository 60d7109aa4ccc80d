#include "draw_window/room_boxes.h"

#include "draw/room_texts.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>

#include <cmath>

namespace draw {

namespace {

// The standard console palette entries 9 to 14, rendered light enough for dark text.
const QColor kFlashColours[6] = {QColor(110, 160, 255), QColor(110, 230, 110), QColor(110, 230, 230),
                                 QColor(255, 120, 120), QColor(240, 130, 240), QColor(255, 255, 100)};

QColor parseColour(const QString& rgb) {
    const QStringList parts = rgb.split(QLatin1Char(','));
    int c[3] = {0, 0, 0};
    for (int i = 0; i < 3 && i < parts.size(); ++i)
        c[i] = qBound(0, parts[i].trimmed().toInt(), 255);
    return QColor(c[0], c[1], c[2]);
}

QPalette boxPalette(const QColor& back, const QColor& text) {
    QPalette p;
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Window})
        p.setColor(role, back);
    for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText})
        p.setColor(role, text);
    return p;
}

QFont boxFont(int pixelSize) {
    // The room boxes ask for 宋体; where it is missing a Song-style CJK face stands in.
    QFont f;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(pixelSize);
    return f;
}

// Shows a text too wide for the box with "…" in its middle, so that the room number and the
// last name stay in sight; text() stays whole for saving, printing and the tests.
class RoomBox : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void paintEvent(QPaintEvent* event) override {
        const QRect area = rect().adjusted(kTextMargin, 0, -kTextMargin, 0);
        if (fontMetrics().horizontalAdvance(text()) <= area.width()) {
            QLineEdit::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideMiddle, area.width()));
    }

private:
    static constexpr int kTextMargin = 3;
};

// The advance of a loaded box text, each comma-separated piece measured as the room texts are.
int cappedAdvance(const QFontMetrics& fm, const QString& text) {
    const QStringList pieces = text.split(QLatin1Char(','));
    int advance = fm.horizontalAdvance(QLatin1Char(',')) * int(pieces.size() - 1);
    for (const QString& piece : pieces)
        advance += fm.horizontalAdvance(piece.left(kMeasuredPieceLength));
    return advance;
}

} // namespace

RoomBoxes::RoomBoxes(QWidget* frame) {
    for (int k = 0; k < kRoomBoxes; ++k) {
        auto* box = new RoomBox(frame);
        box->setObjectName(QStringLiteral("Txt监考员_%1").arg(k));
        box->setProperty("Index", k);
        box->setReadOnly(true);
        box->setFrame(false);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAutoFillBackground(true);
        box->hide();
        boxes_.push_back(box);
    }
}

void RoomBoxes::setColours(const QString& textRgb, const QString& backRgb) {
    const QColor text = parseColour(textRgb);
    const QColor back = parseColour(backRgb);
    normal_ = boxPalette(back, text);
    inverted_ = boxPalette(text, back);
    for (int i = 0; i < 6; ++i)
        flashing_[i] = boxPalette(kFlashColours[i], text);
}

bool RoomBoxes::arrange(int rooms, bool wide, const QString& notice) {
    extraTexts_.clear();
    paintNormal(kRoomBoxes);
    tooMany_ = rooms > kMaxDrawRooms;
    // With too many rooms only box 0 stays, wide enough for the notice.
    band_ = tooMany_ ? boxBand(0, true) : boxBand(rooms, wide);
    for (int k = 0; k < kRoomBoxes; ++k)
        boxes_[k]->setVisible(tooMany_ ? k == 0 : k < rooms);
    if (tooMany_) {
        boxes_[0]->setText(notice);
        boxes_[0]->setCursorPosition(0);
        extraTexts_ << notice;
    }
    return !tooMany_;
}

void RoomBoxes::place(double scale, const std::function<int(const QFontMetrics&)>& widestText) {
    const BoxFit fit = fitBoxes(band_, scale, [&](int fontPx) {
        const QFontMetrics fm(boxFont(fontPx));
        int widest = tooMany_ ? 0 : widestText(fm);
        for (const QString& t : extraTexts_)
            widest = std::max(widest, cappedAdvance(fm, t));
        return widest;
    });
    const QFont f = boxFont(fit.fontPx);
    const int placed = band_.columns * band_.rows;
    for (int k = 0; k < kRoomBoxes; ++k) {
        const QPoint at = boxPosition(band_, k < placed ? k : 0);
        boxes_[k]->setFont(f);
        boxes_[k]->setGeometry(static_cast<int>(std::lround(at.x() * scale / kTwipsPerPixel)),
                               static_cast<int>(std::lround(at.y() * scale / kTwipsPerPixel)), fit.width,
                               fit.height);
    }
}

void RoomBoxes::setText(int box, const QString& text) {
    if (box < 0 || box >= kRoomBoxes || (tooMany_ && box == 0))
        return;
    boxes_[box]->setText(text);
    boxes_[box]->setCursorPosition(0);
}

void RoomBoxes::showRooms(const engine::WorkingSet& ws, const QVector<int>& a, const QVector<int>& b,
                          const QVector<QString>* supervisors, engine::RandomSource* flash) {
    for (int i = 1; i <= ws.roomCount() && i <= kRoomBoxes; ++i) {
        const QString supervisor = supervisors ? supervisors->value(i) : QString();
        setText(i - 1,
                engine::roomBoxText(ws, i, a.value(i), b.value(i), supervisors ? &supervisor : nullptr));
        if (flash)
            boxes_[i - 1]->setPalette(flashing_[flash->index(6) - 1]);
    }
}

QStringList RoomBoxes::texts() const {
    QStringList out;
    for (const QLineEdit* box : boxes_)
        out << box->text();
    return out;
}

void RoomBoxes::setTexts(const QStringList& texts) {
    for (int k = 0; k < kRoomBoxes && k < texts.size(); ++k)
        boxes_[k]->setText(texts[k]);
}

void RoomBoxes::paintNormal(int count) {
    for (int k = 0; k < count && k < kRoomBoxes; ++k)
        boxes_[k]->setPalette(normal_);
}

void RoomBoxes::highlight(int box) {
    if (highlighted_ >= 0 && highlighted_ < kRoomBoxes)
        boxes_[highlighted_]->setPalette(normal_);
    highlighted_ = box;
    if (box >= 0 && box < kRoomBoxes)
        boxes_[box]->setPalette(inverted_);
}

} // namespace draw
