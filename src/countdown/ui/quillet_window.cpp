#include "countdown/ui/quillet_window.h"

#include "common/data_folder.h"
#include "common/overview.h"
#include "common/startup.h"
#include "common/ui/action_runner.h"
#include "countdown/countdown_rules.h"
#include "db/database.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace countdown::ui {

namespace {

// The window is laid out for this size; larger windows scale every font with it.
constexpr double kDesignWidth = 720;
constexpr double kDesignHeight = 480;
constexpr int kMargin = 16;

// Type sizes at the design size, in points (converted to pixels so that the look does not
// depend on the screen's reported resolution).
constexpr double kDatePoints = 22;
constexpr double kTimePoints = 50;
constexpr double kSubjectPoints = 42;
constexpr double kCountdownPoints = 24;
constexpr double kNoticePoints = 10.5;
constexpr double kDatabasePoints = 8;

QFont sansFont(bool bold) {
    QFont f;
    f.setFamilies(
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimHei")});
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    return f;
}

// Kai is the calligraphic face of Chinese print; where none is installed the serif Song
// face is the nearest look.
QFont calligraphicFont() {
    QFont f;
    f.setFamilies({QStringLiteral("KaiTi"), QStringLiteral("STKaiti"), QStringLiteral("AR PL UKai CN"),
                   QStringLiteral("AR PL KaitiM GB"), QStringLiteral("Noto Serif CJK SC")});
    f.setStyleHint(QFont::Serif);
    f.setBold(true);
    return f;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QFont& font, const QColor& colour) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText); // a subject is data, never markup
    label->setAlignment(Qt::AlignCenter);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

// Scales the label's type and, for one-line labels, shrinks it further until the text fits
// the width: a long subject name must not be cut off on the hall screen.
void scaleFont(QLabel* label, double points, double scale, double width, bool fitWidth) {
    QFont f = label->font();
    double pixels = points * 96.0 / 72.0 * scale;
    f.setPixelSize(std::max(1, int(pixels)));
    if (fitWidth && !label->text().isEmpty()) {
        const double advance = QFontMetricsF(f).horizontalAdvance(label->text());
        if (advance > width) {
            pixels *= width / advance;
            f.setPixelSize(std::max(1, int(pixels)));
        }
    }
    label->setFont(f);
}

} // namespace

FrmQuillet::FrmQuillet(common::Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), services_(services) {
    setObjectName(QStringLiteral("FrmQuillet"));
    setWindowTitle(QStringLiteral("考试Quillet"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);

    Lbl日期 = makeLabel(this, QStringLiteral("Lbl日期"), sansFont(false), Qt::black);
    Lbl时间 = makeLabel(this, QStringLiteral("Lbl时间"), sansFont(true), Qt::red);
    Lbl科目 = makeLabel(this, QStringLiteral("Lbl科目"), calligraphicFont(), Qt::blue);
    upperLineLabel_ = makeLabel(this, QStringLiteral("Label1"), sansFont(true), Qt::red);
    lowerLineLabel_ = makeLabel(this, QStringLiteral("Label2"), sansFont(true), Qt::red);
    noticeLabel_ = makeLabel(this, QStringLiteral("Label3"), sansFont(false), Qt::darkGray);
    noticeLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    noticeLabel_->setWordWrap(true);
    databaseLabel_ = makeLabel(this, QStringLiteral("LblDatabase"), sansFont(false), Qt::darkGray);
    databaseLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Lbl科目->setText(kSubjectPrefix);
    noticeLabel_->setText(kAccuracyNotice);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->addStretch(1);
    layout->addWidget(Lbl日期);
    layout->addWidget(Lbl时间);
    layout->addStretch(1);
    layout->addWidget(Lbl科目);
    layout->addStretch(1);
    layout->addWidget(upperLineLabel_);
    layout->addWidget(lowerLineLabel_);
    layout->addStretch(2);
    layout->addWidget(noticeLabel_);
    layout->addWidget(databaseLabel_);

    clockTimer_ = new QTimer(this);
    clockTimer_->setObjectName(QStringLiteral("Timer1"));
    clockTimer_->setInterval(1000);
    connect(clockTimer_, &QTimer::timeout, this, [this] { tick(); });

    placeOnScreen();
    fitFonts();
}

bool FrmQuillet::load(const QString& programFolder, common::SingleInstance& instance) {
    if (!instance.acquire()) {
        services_.prompter.message(nullptr, common::kAlreadyRunningText, common::Prompter::Icon::None);
        return false;
    }
    setWindowTitle(kQuilletCaption);
    // Staying on top is the window flag given at construction; it takes effect when shown.

    // The program only reads, so the file is opened read-only and never checked for writing.
    base::Result<common::StartupDatabase> start =
        common::openStartupDatabase(state_, programFolder, /*detectReadOnly=*/false);
    databaseLabel_->setText(common::databaseStatusText(state_));
    if (!start) {
        services_.prompter.message(nullptr, start.error().text(), common::Prompter::Icon::Warning,
                                   common::kFatalTitle);
        return false;
    }
    db_ = std::move(start->db);
    state_.db = db_.get();
    bool project = false;
    const auto read = [&] {
        project = common::readActiveSettings(*db_, state_);
        if (project)
            读考试时间(*db_);
    };
    if (!common::ui::attemptAction(services_.prompter, nullptr, read,
                                   QStringLiteral("数据库无法读取，程序无法正常运行！"),
                                   common::Prompter::Icon::Warning, common::kFatalTitle))
        return false;
    if (!project) {
        // No current project: the design texts stay and every tick shows break time.
        clockTimer_->start();
        return true;
    }
    showDateAndTime(services_.clock.now());
    noticeLabel_->setText(kAccuracyNotice);
    clockTimer_->start();
    return true;
}

void FrmQuillet::读考试时间(const db::Database& db) {
    state_.SubjectTable = common::readTimetable(db, state_.DQXM);
}

void FrmQuillet::tick() {
    const QDateTime now = services_.clock.now();
    const CountdownLines lines = countdownLines(state_.SubjectTable, now);
    Lbl科目->setText(kSubjectPrefix + lines.subject);
    showDateAndTime(now);
    upperLineLabel_->setText(lines.upper);
    lowerLineLabel_->setText(lines.lower);
    fitFonts();
}

void FrmQuillet::placeOnScreen() {
    // Most of the screen, centred, in the design's proportions: readable across a hall
    // before anyone presses F11, and never smaller than the design.
    const QRect screenArea = screen()->availableGeometry();
    const double scale =
        std::max(1.0, 0.8 * std::min(screenArea.width() / kDesignWidth, screenArea.height() / kDesignHeight));
    resize(int(kDesignWidth * scale), int(kDesignHeight * scale));
    move(screenArea.center() - rect().center());
}

void FrmQuillet::showDateAndTime(const QDateTime& now) {
    Lbl日期->setText(dateLineText(now));
    Lbl时间->setText(timeLineText(now));
}

void FrmQuillet::fitFonts() {
    const double scale = std::min(width() / kDesignWidth, height() / kDesignHeight);
    const int margin = int(kMargin * std::max(1.0, scale));
    layout()->setContentsMargins(margin, margin, margin, margin);
    const double lineWidth = width() - 2.0 * margin;
    scaleFont(Lbl日期, kDatePoints, scale, lineWidth, true);
    scaleFont(Lbl时间, kTimePoints, scale, lineWidth, true);
    scaleFont(Lbl科目, kSubjectPoints, scale, lineWidth, true);
    scaleFont(upperLineLabel_, kCountdownPoints, scale, lineWidth, true);
    scaleFont(lowerLineLabel_, kCountdownPoints, scale, lineWidth, true);
    scaleFont(noticeLabel_, kNoticePoints, scale, lineWidth, false);
    scaleFont(databaseLabel_, kDatabasePoints, scale, lineWidth, true);
}

void FrmQuillet::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitFonts();
}

void FrmQuillet::keyPressEvent(QKeyEvent* event) {
    // F11 toggles full screen for the hall's display; Esc only ever leaves it.
    if (event->key() == Qt::Key_F11)
        setWindowState(windowState() ^ Qt::WindowFullScreen);
    else if (event->key() == Qt::Key_Escape && isFullScreen())
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    else
        QWidget::keyPressEvent(event);
}

} // namespace countdown::ui
