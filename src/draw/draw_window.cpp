#include "draw/draw_window.h"

#include "common/overview.h"
#include "common/ui/login_dialog.h"
#include "draw/load_dialog.h"
#include "draw/save_dialog.h"
#include "engine/draw_repository.h"
#include "reports/ui/report_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>

namespace draw {

namespace {

const QString kStart = QStringLiteral("开始抽签");
const QString kStop = QStringLiteral("停止");
const QString kPick = QStringLiteral("选抽签人");
const QString kTooManyMessage = QStringLiteral("参与抽签的考室数量154大于设计最高数量，需要重新定制软件！");
const QString kTooManyBox = QStringLiteral(" 抽签总数不能大于154");
const QString kDiscardTail = QStringLiteral("\n是否真要放弃之前数据？");
const QString kSaveFailed = QStringLiteral("抽签结论没有保存，原有数据保持不变！\n");

// The design: a frame of 15000 x 9900 twips on the 1024x768 screen. The controls sit in a
// band at the top, above the highest first box of any band (Top0 >= 1440).
constexpr int kFrameWidth = 15000;
constexpr int kFrameHeight = 9900;
constexpr int kTwipsPerPixel = 15;
constexpr int kTwipsPerPoint = 20;

constexpr int kRunTickMs = 20; // one screen of candidates per tick
constexpr int kSliceMs = 8;    // the engine's share of a tick; the rest paints and answers clicks
constexpr int kPickTickMs = 50;
constexpr int kCounterWrap = 20000;
// Box text needs the line editor's inner margins besides its own advance.
constexpr int kTextPadding = 8;
constexpr int kMinBoxFontPx = 6;

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

int checkStateValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

void setCheckStateValue(QCheckBox* box, int value) {
    box->setCheckState(value == 0 ? Qt::Unchecked : value == 2 ? Qt::PartiallyChecked : Qt::Checked);
}

const engine::RosterRow& rosterRow(const engine::WorkingSet& ws, int k) {
    static const engine::RosterRow empty;
    return k >= 1 && k <= ws.roomCount() ? ws.rooms[k] : empty;
}

} // namespace

Frm抽签::Frm抽签(common::RunState& state, common::Services& services, QPushButton* loginButton,
                 QWidget* parent)
    : QDialog(parent), state_(state), services_(services), loginButton_(loginButton) {
    setObjectName(QStringLiteral("Frm抽签"));
    buildControls();

    Label1->setText(state.ksmc);
    Label2->setText(state.kdmc + QStringLiteral("监考员安排表"));
    // The subject this window draws for stays the one it opened with, even when the main
    // window's clock moves DQKM on meanwhile: a draw is saved under the subject it showed.
    subject_ = state.DQKM;
    Label3->setText(subject_);

    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);

    opened_ = openData();
    if (!opened_)
        return;
    presetChecks();
    normal_ = boxPalette(parseColour(state.KjDs), parseColour(state.KjZs));
    inverted_ = boxPalette(parseColour(state.KjZs), parseColour(state.KjDs));
    for (int i = 0; i < 6; ++i)
        flashing_[i] = boxPalette(kFlashColours[i], parseColour(state.KjZs));
    layoutBoxes();
    showInitial();
}

Frm抽签::~Frm抽签() = default;

void Frm抽签::buildControls() {
    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    auto label = [this](const char* name) {
        auto* l = new QLabel(Frame1);
        l->setObjectName(QString::fromUtf8(name));
        l->setAlignment(Qt::AlignCenter);
        return l;
    };
    Label1 = label("Label1");
    Label2 = label("Label2");
    Label3 = label("Label3");

    for (int k = 0; k < kRoomBoxes; ++k) {
        auto* box = new QLineEdit(Frame1);
        box->setObjectName(QStringLiteral("Txt监考员"));
        box->setProperty("Index", k);
        box->setReadOnly(true);
        box->setFrame(false);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAutoFillBackground(true);
        box->hide();
        Txt监考员.push_back(box);
    }

    auto button = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, Frame1);
        b->setObjectName(QString::fromUtf8(name));
        b->setAutoDefault(false);
        return b;
    };
    Cmd抽签 = button("Cmd抽签", kStart);
    Cmd选抽签人 = button("Cmd选抽签人", kPick);
    Cmd保存 = button("Cmd保存", QStringLiteral("保存结果"));
    Cmd加载 = button("Cmd加载", QStringLiteral("加载结论"));
    Cmd打印 = button("Cmd打印", QStringLiteral("打印报表"));
    Cmd保存->setEnabled(false);

    const char* const names[6] = {"Check1", "Check2", "Check3", "Check4", "Check5", "Check6"};
    const QString texts[6] = {QStringLiteral("允许重回原考室"),   QStringLiteral("允许甲乙再搭档"),
                              QStringLiteral("最大性别组合"),     QStringLiteral("最大异校搭档"),
                              QStringLiteral("场外监考同步抽签"), QStringLiteral("验卷员同步抽签")};
    for (int i = 0; i < 6; ++i) {
        checks_[i] = new QCheckBox(texts[i], Frame1);
        checks_[i]->setObjectName(QString::fromUtf8(names[i]));
    }
    Check1 = checks_[0];
    Check2 = checks_[1];
    Check3 = checks_[2];
    Check4 = checks_[3];
    Check5 = checks_[4];
    Check6 = checks_[5];

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    runTimer_ = new QTimer(this);
    runTimer_->setInterval(kRunTickMs);
    pickTimer_ = new QTimer(this);
    pickTimer_->setInterval(kPickTickMs);

    connect(Cmd抽签, &QPushButton::clicked, this, [this] { drawClicked(); });
    connect(Cmd选抽签人, &QPushButton::clicked, this, [this] { pickClicked(); });
    connect(Cmd保存, &QPushButton::clicked, this, [this] { saveClicked(); });
    connect(Cmd加载, &QPushButton::clicked, this, [this] { loadClicked(); });
    connect(Cmd打印, &QPushButton::clicked, this, [this] {
        reports::ui::Frm报表 reports(state_, services_, this);
        services_.dialogs.run(reports);
    });
    connect(Timer1, &QTimer::timeout, this, [this] { timer1Tick(); });
    connect(runTimer_, &QTimer::timeout, this, [this] { runTick(); });
    connect(pickTimer_, &QTimer::timeout, this, [this] { pickTick(); });
}

bool Frm抽签::openData() {
    try {
        db_ = common::openRunDatabase(state_);
        common::readProjectSettings(*db_, state_);
        ws_ = engine::loadWorkingSet(*db_, state_.DQXM);
    } catch (const db::DbError& e) {
        db_.reset();
        services_.prompter.message(parentWidget(), QStringLiteral("无法读取抽签数据！\n") + e.text(),
                                   common::Prompter::Icon::Critical);
        return false;
    }
    state_.KSS = ws_.roomCount();
    rooms_ = state_.KSS;
    return true;
}

void Frm抽签::presetChecks() {
    setCheckStateValue(Check1, state_.CHKS);
    setCheckStateValue(Check2, state_.ZDD);
    setCheckStateValue(Check3, state_.XBZH);
    setCheckStateValue(Check4, state_.txdd);
    setCheckStateValue(Check5, state_.cwjk == 1 || state_.cwjk == 2 ? 1 : 0);
    setCheckStateValue(Check6, state_.cwjk == 1 || state_.cwjk == 3 ? 1 : 0);
    if (state_.xgcs == 0)
        setParameterChecksEnabled(false);
}

int Frm抽签::checkValue(int index) const {
    return checkStateValue(checks_[index]);
}

engine::DrawSettings Frm抽签::currentSettings() const {
    engine::DrawSettings s;
    s.mode = state_.cqms;
    for (int i = 0; i < 6; ++i)
        s.check[i] = checkValue(i);
    return s;
}

void Frm抽签::setParameterChecksEnabled(bool enabled) {
    for (QCheckBox* c : checks_)
        c->setEnabled(enabled);
}

QString Frm抽签::caption(int counter) const {
    return QStringLiteral("已随机产生 ") + QString::number(counter) + QStringLiteral(" 组符合要求的抽签结论");
}

// ---- layout ----

void Frm抽签::layoutBoxes() {
    wide_ = checkValue(4) != 0;
    textWithSupervisor_ = checkValue(4) == 1;
    extraTexts_.clear();
    paintBoxes(kRoomBoxes, normal_);
    tooMany_ = rooms_ > kMaxDrawRooms;
    if (!tooMany_) {
        band_ = boxBand(rooms_, wide_);
        for (int k = 0; k < kRoomBoxes; ++k)
            Txt监考员[k]->setVisible(k < rooms_);
    } else {
        // Only box 0 stays, wide enough for the notice; no room can be drawn.
        band_ = boxBand(0, true);
        services_.prompter.message(this, kTooManyMessage, common::Prompter::Icon::Information);
        Txt监考员[0]->setText(kTooManyBox);
        Txt监考员[0]->setCursorPosition(0);
        for (int k = 0; k < kRoomBoxes; ++k)
            Txt监考员[k]->setVisible(k == 0);
        Cmd抽签->setEnabled(false);
        extraTexts_ << kTooManyBox;
    }
    applyGeometry();
}

void Frm抽签::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (opened_)
        applyGeometry();
}

void Frm抽签::applyGeometry() {
    const double fit = std::min(width() * double(kTwipsPerPixel) / kFrameWidth,
                                height() * double(kTwipsPerPixel) / kFrameHeight);
    scale_ = std::max(0.2, fit);
    auto px = [this](int twips) { return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixel)); };
    auto fontPx = [this](double points) {
        return std::max(1, static_cast<int>(std::lround(points * kTwipsPerPoint * scale_ / kTwipsPerPixel)));
    };
    Frame1->setGeometry((width() - px(kFrameWidth)) / 2, (height() - px(kFrameHeight)) / 2, px(kFrameWidth),
                        px(kFrameHeight));

    QFont title = font();
    title.setPixelSize(fontPx(18));
    title.setBold(true);
    Label1->setFont(title);
    Label1->setGeometry(px(3800), px(60), px(7400), px(560));
    QFont subtitle = font();
    subtitle.setPixelSize(fontPx(13));
    Label2->setFont(subtitle);
    Label2->setGeometry(px(3800), px(640), px(7400), px(400));
    subtitle.setPixelSize(fontPx(12));
    Label3->setFont(subtitle);
    Label3->setGeometry(px(3800), px(1040), px(7400), px(360));

    QFont controls = font();
    controls.setPixelSize(fontPx(9));
    for (int i = 0; i < 6; ++i) {
        checks_[i]->setFont(controls);
        checks_[i]->setGeometry(px(150 + 1800 * (i / 3)), px(100 + 420 * (i % 3)), px(1750), px(380));
    }
    QPushButton* const buttons[5] = {Cmd抽签, Cmd选抽签人, Cmd保存, Cmd加载, Cmd打印};
    for (int i = 0; i < 5; ++i) {
        buttons[i]->setFont(controls);
        buttons[i]->setGeometry(px(12250 + 1350 * (i % 2)), px(100 + 420 * (i / 2)), px(1300), px(380));
    }
    fitBoxes(band_.font, band_.width, band_.height, band_.pitch, band_.step);
}

// The tables' sizes come from one screen font; other fonts and longer names would be cut
// off or run into the neighbour. A box grows into the gap to its neighbours as far as the
// pitch allows, and only then the font shrinks, so every name stays whole.
void Frm抽签::fitBoxes(int fontPt, int widthTw, int heightTw, int pitchTw, int stepTw) {
    auto px = [this](int twips) { return static_cast<int>(std::lround(twips * scale_ / kTwipsPerPixel)); };
    int fontPx = std::max(kMinBoxFontPx,
                          static_cast<int>(std::lround(fontPt * kTwipsPerPoint * scale_ / kTwipsPerPixel)));
    const int width = px(widthTw);
    const int height = px(heightTw);
    const int widthLimit = std::max(width, px(pitchTw) - 2);
    const int heightLimit = std::max(height, px(stepTw) - 2);
    int boxWidth = width;
    int boxHeight = height;
    for (;; --fontPx) {
        const QFontMetrics fm(boxFont(fontPx));
        const int needWidth = widestText(fm) + kTextPadding;
        // CJK glyphs fill about one em; the line editor centres them in the box.
        const int needHeight = static_cast<int>(std::ceil(fontPx * 1.2));
        if ((needWidth <= widthLimit && needHeight <= heightLimit) || fontPx <= kMinBoxFontPx) {
            boxWidth = std::clamp(needWidth, width, widthLimit);
            boxHeight = std::clamp(needHeight, height, heightLimit);
            break;
        }
    }
    const QFont f = boxFont(fontPx);
    const int placed = band_.columns * band_.rows;
    for (int k = 0; k < kRoomBoxes; ++k) {
        QLineEdit* box = Txt监考员[k];
        box->setFont(f);
        const QPoint at = boxPosition(band_, k < placed ? k : 0);
        box->setGeometry(px(at.x()), px(at.y()), boxWidth, boxHeight);
    }
}

int Frm抽签::widestText(const QFontMetrics& fm) const {
    int widest = 0;
    if (!tooMany_) {
        int room = 0, a = 0, b = 0, supervisor = 0;
        for (int i = 1; i <= ws_.roomCount(); ++i) {
            room = std::max(room, fm.horizontalAdvance(ws_.rooms[i].room()));
            a = std::max(a, fm.horizontalAdvance(ws_.rooms[i].aName()));
            b = std::max(b, fm.horizontalAdvance(ws_.rooms[i].bName()));
        }
        widest =
            room + fm.horizontalAdvance(QLatin1Char('.')) + a + fm.horizontalAdvance(QLatin1Char(',')) + b;
        if (textWithSupervisor_) {
            for (int j = 1; j <= ws_.supervisorCount(); ++j)
                supervisor = std::max(supervisor, fm.horizontalAdvance(ws_.supervisors[j].name));
            widest += fm.horizontalAdvance(QLatin1Char(',')) + supervisor;
        }
    }
    for (const QString& t : extraTexts_)
        widest = std::max(widest, fm.horizontalAdvance(t));
    return widest;
}

void Frm抽签::paintBoxes(int count, const QPalette& palette) {
    for (int k = 0; k < count && k < kRoomBoxes; ++k)
        Txt监考员[k]->setPalette(palette);
}

void Frm抽签::setBoxText(int box, const QString& text) {
    // Rooms beyond the boxes are not shown; with too many rooms box 0 keeps the notice.
    if (box < 0 || box >= kRoomBoxes || (tooMany_ && box == 0))
        return;
    Txt监考员[box]->setText(text);
    Txt监考员[box]->setCursorPosition(0);
}

void Frm抽签::showInitial() {
    setWindowTitle(QStringLiteral("抽签  加载初始数据"));
    const bool withSupervisor = checkValue(4) == 1;
    QVector<QString> supervisors(rooms_ + 1);
    if (withSupervisor) {
        QVector<int> nobodyMoved(ws_.supervisorCount() + 1);
        for (int j = 0; j < nobodyMoved.size(); ++j)
            nobodyMoved[j] = j;
        engine::assignRoomDuties(ws_, nobodyMoved, supervisors);
    }
    for (int i = 1; i <= rooms_; ++i) {
        const engine::RosterRow& room = ws_.rooms[i];
        QString text = room.room() + QLatin1Char('.') + room.aName() + QLatin1Char(',') + room.bName();
        if (withSupervisor)
            text += QLatin1Char(',') + supervisors.value(i);
        setBoxText(i - 1, text);
    }
}

void Frm抽签::showResult(const engine::Candidate& c, const QVector<QString>& supervisors, bool withSupervisor,
                         bool flash) {
    for (int i = 1; i <= rooms_ && i <= kRoomBoxes; ++i) {
        QString text = ws_.rooms[i].room() + QLatin1Char('.') + rosterRow(ws_, c.a.value(i)).aName() +
                       QLatin1Char(',') + rosterRow(ws_, c.b.value(i)).bName();
        if (withSupervisor)
            text += QLatin1Char(',') + supervisors.value(i);
        setBoxText(i - 1, text);
        if (flash)
            Txt监考员[i - 1]->setPalette(flashing_[services_.random.index(6) - 1]);
    }
}

// ---- the draw run ----

void Frm抽签::drawClicked() {
    if (phase_ == Phase::Running)
        stopRun();
    else if (phase_ == Phase::Idle)
        startRun();
}

void Frm抽签::timer1Tick() {
    if (phase_ == Phase::Idle) {
        // A start that was declined leaves nothing to enable.
        Timer1->stop();
        return;
    }
    if (phase_ == Phase::Running) {
        Cmd抽签->setEnabled(true);
        Cmd抽签->setDefault(true);
    }
}

void Frm抽签::startRun() {
    if (!db_)
        return;
    Timer1->start();
    layoutBoxes();
    if (tooMany_)
        return;
    if (!saved_ &&
        !services_.prompter.confirm(
            this, QStringLiteral("存在未保存的抽签结论，如果继续抽签，将抛弃数据！") + kDiscardTail,
            common::Prompter::Icon::Information))
        return;

    counter_ = 0;
    settings_ = currentSettings();
    snapshot_ = {};
    for (QLineEdit* box : Txt监考员)
        snapshot_.texts << box->text();
    snapshot_.caption = windowTitle();
    snapshot_.buttons = {Cmd选抽签人->isEnabled(), Cmd加载->isEnabled(), Cmd保存->isEnabled(),
                         Cmd打印->isEnabled()};
    for (int i = 0; i < 6; ++i)
        snapshot_.checks[i] = checks_[i]->isEnabled();

    Cmd抽签->setEnabled(false);
    Cmd抽签->setText(kStop);
    phase_ = Phase::Running;
    for (QPushButton* b : {Cmd选抽签人, Cmd加载, Cmd保存, Cmd打印})
        b->setEnabled(false);
    setParameterChecksEnabled(false);
    paintBoxes(kRoomBoxes - 1, normal_);

    engine_ = std::make_unique<engine::DrawEngine>(ws_, services_.random);
    engine::DrawResult begun;
    try {
        begun = engine_->begin(
            settings_, engine::loadPairingHistory(*db_, state_.DQXM),
            engine::loadDutyHistory(*db_, state_.DQXM, QStringLiteral("场外监考"), ws_.supervisorCount()));
    } catch (const db::DbError& e) {
        abortRun(QStringLiteral("无法读取抽签历史！\n") + e.text());
        return;
    }
    if (begun.status == engine::DrawStatus::Impossible) {
        abortRun(begun.reason);
        return;
    }
    runTimer_->start();
}

void Frm抽签::runTick() {
    if (phase_ == Phase::Stopping) {
        if (finalSlice())
            finishStop();
        return;
    }
    if (phase_ != Phase::Running)
        return;
    QElapsedTimer slice;
    slice.start();
    int made = 0;
    engine::DrawResult r;
    do {
        r = engine_->generate(1);
        made += r.candidates;
    } while (r.status != engine::DrawStatus::Impossible && slice.elapsed() < kSliceMs);
    if (made > 0) {
        counter_ = (counter_ + made) % (kCounterWrap + 1);
        showResult(engine_->candidate(), engine_->roomSupervisors(), settings_.check[4] == 1, true);
        setWindowTitle(caption(counter_));
    }
    if (r.status == engine::DrawStatus::Impossible)
        abortRun(r.reason);
}

void Frm抽签::stopRun() {
    Timer1->stop();
    Cmd抽签->setEnabled(false);
    phase_ = Phase::Stopping;
    engine::DrawResult r;
    try {
        // Saves made meanwhile by another program count for the result.
        r = engine_->setPairingHistory(engine::loadPairingHistory(*db_, state_.DQXM));
    } catch (const db::DbError& e) {
        abortRun(QStringLiteral("无法读取抽签历史！\n") + e.text());
        return;
    }
    if (r.status == engine::DrawStatus::Impossible) {
        abortRun(r.reason);
        return;
    }
    if (finalSlice())
        finishStop();
}

// One slice towards the single candidate that becomes the result; false while it is not made.
bool Frm抽签::finalSlice() {
    QElapsedTimer slice;
    slice.start();
    do {
        const engine::DrawResult r = engine_->generate(1);
        if (r.status == engine::DrawStatus::Impossible) {
            abortRun(r.reason);
            return false;
        }
        if (r.candidates > 0)
            return true;
    } while (slice.elapsed() < kSliceMs);
    return false;
}

void Frm抽签::finishStop() {
    runTimer_->stop();
    saved_ = false;
    Cmd抽签->setText(kStart);
    Timer1->stop();
    phase_ = Phase::Idle;
    Cmd抽签->setEnabled(true);
    for (QPushButton* b : {Cmd选抽签人, Cmd加载, Cmd保存})
        b->setEnabled(true);
    if (state_.xgcs == 1)
        setParameterChecksEnabled(true);

    result_.candidate = engine_->candidate();
    result_.supervisors = engine_->roomSupervisors();
    result_.parameterCode = settings_.parameterCode();
    result_.withSupervisor = settings_.check[4] == 1;
    result_.exists = true;
    showResult(result_.candidate, result_.supervisors, result_.withSupervisor, false);
    paintBoxes(rooms_, normal_);
    engine_.reset();
}

void Frm抽签::abortRun(const QString& reason) {
    runTimer_->stop();
    Timer1->stop();
    phase_ = Phase::Idle;
    engine_.reset();
    Cmd抽签->setText(kStart);
    Cmd抽签->setEnabled(true);
    QPushButton* const buttons[4] = {Cmd选抽签人, Cmd加载, Cmd保存, Cmd打印};
    for (int i = 0; i < 4; ++i)
        buttons[i]->setEnabled(snapshot_.buttons[i]);
    for (int i = 0; i < 6; ++i)
        checks_[i]->setEnabled(snapshot_.checks[i]);
    for (int k = 0; k < kRoomBoxes && k < snapshot_.texts.size(); ++k)
        Txt监考员[k]->setText(snapshot_.texts[k]);
    setWindowTitle(snapshot_.caption);
    paintBoxes(kRoomBoxes, normal_);
    services_.prompter.message(this, reason, common::Prompter::Icon::Warning);
}

// ---- the pick of the person who performs the draw ----

void Frm抽签::pickClicked() {
    if (picking_) {
        stopPick();
        return;
    }
    picking_ = true;
    for (QPushButton* b : {Cmd抽签, Cmd加载, Cmd保存, Cmd打印})
        b->setEnabled(false);
    setParameterChecksEnabled(false);
    Cmd选抽签人->setText(kStop);
    Cmd抽签->setDefault(false);
    Cmd选抽签人->setDefault(true);
    setWindowTitle(kPick);
    pickTick();
    pickTimer_->start();
}

void Frm抽签::pickTick() {
    const int count = tooMany_ ? 0 : rooms_;
    if (count < 1)
        return;
    const int r = services_.random.index(count);
    if (highlighted_ >= 0 && highlighted_ < kRoomBoxes)
        Txt监考员[highlighted_]->setPalette(normal_);
    highlighted_ = r - 1;
    Txt监考员[highlighted_]->setPalette(inverted_);
}

void Frm抽签::stopPick() {
    pickTimer_->stop();
    picking_ = false;
    Cmd选抽签人->setText(kPick);
    setWindowTitle(QStringLiteral("Vardel"));
    // The draw stays blocked for too many rooms, whatever else the pick gives back.
    Cmd抽签->setEnabled(!tooMany_);
    Cmd选抽签人->setDefault(false);
    Cmd抽签->setDefault(true);
    Cmd加载->setEnabled(true);
    Cmd打印->setEnabled(true);
    if (state_.xgcs == 1)
        setParameterChecksEnabled(true);
}

// ---- save and load ----

void Frm抽签::saveClicked() {
    if (!db_)
        return;
    if (!common::writeGuard(state_, services_.prompter, this))
        return;
    if (!state_.LoginSucceeded &&
        !common::ui::askLogin(state_, services_, loginButton_, common::ui::kDrawLoginCaption, this))
        return;
    Frm保存 dialog(this);
    services_.dialogs.run(dialog);
    Cmd打印->setEnabled(true);
    if (dialog.BC == 0 || !result_.exists)
        return;

    engine::SaveRequest request;
    request.project = state_.DQXM;
    request.subject = subject_;
    request.time = services_.clock.now();
    request.parameterCode = result_.parameterCode;
    request.withDuties = dialog.BC == 2;
    request.check1 = checkValue(0);
    request.check6 = checkValue(5);
    engine::SaveOutcome outcome;
    try {
        outcome = engine::saveDraw(*db_, ws_, result_.candidate, request, services_.random);
    } catch (const db::DbError& e) {
        services_.prompter.message(this, kSaveFailed + e.text(), common::Prompter::Icon::Critical);
        return;
    }
    if (!outcome.refusal.isEmpty()) {
        services_.prompter.message(this, kSaveFailed + outcome.refusal, common::Prompter::Icon::Warning);
        return;
    }
    saved_ = true;
}

void Frm抽签::loadClicked() {
    if (!db_)
        return;
    layoutBoxes();
    if (!saved_ &&
        !services_.prompter.confirm(
            this, QStringLiteral("存在未保存的抽签结论，加载历史数据，将抛弃数据！") + kDiscardTail,
            common::Prompter::Icon::Information))
        return;
    Frm加载数据 dialog(state_, services_, this);
    services_.dialogs.run(dialog);
    if (dialog.JZX.isEmpty())
        return;
    const QString subject = dialog.JZKM;
    if (subject == common::kInitialSubject) {
        showInitial();
        return;
    }
    QVector<engine::SavedRoom> saved;
    try {
        saved = engine::loadSavedDraw(*db_, state_.DQXM, subject, checkValue(4) == 1);
    } catch (const db::DbError& e) {
        services_.prompter.message(this, QStringLiteral("无法读取抽签结论！\n") + e.text(),
                                   common::Prompter::Icon::Critical);
        return;
    }
    setWindowTitle(QStringLiteral("抽签  加载[") + subject + QStringLiteral("]数据"));
    for (int i = 0; i < saved.size(); ++i) {
        const QString text = saved[i].boxText();
        setBoxText(i, text);
        if (i < rooms_)
            extraTexts_ << text;
    }
    applyGeometry();
}

// ---- closing ----

bool Frm抽签::mayClose() {
    if (phase_ != Phase::Idle)
        return false;
    return saved_ ||
           services_.prompter.confirm(
               this, QStringLiteral("存在未保存的抽签结论，如果关闭窗口，将抛弃数据！") + kDiscardTail,
               common::Prompter::Icon::Information);
}

void Frm抽签::closeEvent(QCloseEvent* event) {
    if (!mayClose()) {
        event->ignore();
        return;
    }
    closeConfirmed_ = true;
    QDialog::closeEvent(event);
    closeConfirmed_ = false;
}

void Frm抽签::reject() {
    if (!closeConfirmed_ && !mayClose())
        return;
    pickTimer_->stop();
    Timer1->stop();
    db_.reset();
    QDialog::reject();
}

} // namespace draw
