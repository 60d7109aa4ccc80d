#include "draw_window/draw_window.h"

#include "common/overview.h"
#include "common/ui/action_runner.h"
#include "common/ui/login_dialog.h"
#include "db/date_text.h"
#include "draw/room_texts.h"
#include "draw_window/load_dialog.h"
#include "draw_window/save_dialog.h"
#include "reports/ledger_lines.h"
#include "reports/ui/report_window.h"
#include "store/draw_history.h"
#include "store/draw_repository.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cmath>
#include <numeric>

namespace draw {

namespace {

const QString kStart = QStringLiteral("开始抽签");
const QString kStop = QStringLiteral("停止");
const QString kPick = QStringLiteral("选抽签人");
const QString kTooManyMessage = QStringLiteral("参与抽签的考室数量154大于设计最高数量，需要重新定制软件！");
const QString kTooManyBox = QStringLiteral(" 抽签总数不能大于154");
const QString kDiscardTail = QStringLiteral("\n是否真要放弃之前数据？");
const QString kSaveFailed = QStringLiteral("抽签结论没有保存，原有数据保持不变！");
const QString kHistoryUnreadable = QStringLiteral("无法读取抽签历史！");

constexpr int kRunTickMs = 20; // one candidate shown per tick
constexpr int kSliceMs = 8;    // the engine's share of a tick at most; the rest paints and answers clicks
constexpr int kPickTickMs = 50;

// A box is a rule's state: unchecked off, checked on, grey undecided.
engine::RuleState ruleOf(Qt::CheckState box) {
    return box == Qt::Checked            ? engine::RuleState::On
           : box == Qt::PartiallyChecked ? engine::RuleState::Undecided
                                         : engine::RuleState::Off;
}

Qt::CheckState boxOf(engine::RuleState rule) {
    return rule == engine::RuleState::On          ? Qt::Checked
           : rule == engine::RuleState::Undecided ? Qt::PartiallyChecked
                                                  : Qt::Unchecked;
}

} // namespace

Frm抽签::Frm抽签(common::RunState& state, common::Services& services, QPushButton* loginButton,
                 QWidget* parent)
    : QDialog(parent), state_(state), services_(services), loginButton_(loginButton), panel_(this),
      run_(ws_, services.random) {
    setObjectName(QStringLiteral("Frm抽签"));
    buildControls();

    panel_.examLabel->setText(state.project.examName);
    panel_.siteLabel->setText(state.project.siteName + QStringLiteral("监考员安排表"));
    // The subject this window draws for stays the one it opened with, even when the main
    // window's clock moves DQKM on meanwhile: a draw is saved under the subject it showed.
    subject_ = state.DQKM;
    panel_.subjectLabel->setText(subject_);

    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);

    opened_ = openData();
    if (!opened_)
        return;
    presetChecks();
    boxes_->setColours(state.project.textColour, state.project.backColour);
    layoutBoxes();
    showInitial();
}

Frm抽签::~Frm抽签() = default;

void Frm抽签::buildControls() {
    Cmd抽签 = panel_.Cmd抽签;
    Cmd选抽签人 = panel_.Cmd选抽签人;
    Cmd保存 = panel_.Cmd保存;
    Cmd加载 = panel_.Cmd加载;
    Cmd打印 = panel_.Cmd打印;
    checks_ = panel_.checks;
    boxes_ = panel_.boxes.get();

    stopDelayTimer_ = new QTimer(this);
    stopDelayTimer_->setObjectName(QStringLiteral("Timer1"));
    stopDelayTimer_->setInterval(1000);
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
    connect(stopDelayTimer_, &QTimer::timeout, this, [this] { stopDelayTick(); });
    connect(runTimer_, &QTimer::timeout, this, [this] { runTick(); });
    connect(pickTimer_, &QTimer::timeout, this, [this] { pickTick(); });
}

bool Frm抽签::openData() {
    const bool read = common::ui::attemptAction(
        services_.prompter, parentWidget(),
        [this] {
            common::readProjectSettings(database(), state_);
            ws_ = engine::loadWorkingSet(database(), state_.DQXM);
        },
        QStringLiteral("无法读取抽签数据！"));
    if (!read)
        return false;
    state_.KSS = ws_.roomCount();
    rooms_ = state_.KSS;
    return true;
}

// The six boxes stand in the order of the rules they set.
void Frm抽签::presetChecks() {
    const engine::DrawSettings project = common::drawSettingsOf(state_.project);
    for (int i = 0; i < engine::kRuleCount; ++i)
        checks_[i]->setCheckState(boxOf(project.rules[i]));
    if (!state_.project.rulesEditable)
        panel_.setRuleBoxesEnabled(false);
}

engine::RuleState Frm抽签::ruleState(engine::Rule rule) const {
    return ruleOf(checks_[static_cast<int>(rule)]->checkState());
}

engine::DrawSettings Frm抽签::currentSettings() const {
    engine::DrawSettings s;
    s.mode = state_.project.drawMode;
    for (int i = 0; i < engine::kRuleCount; ++i)
        s[static_cast<engine::Rule>(i)] = ruleState(static_cast<engine::Rule>(i));
    return s;
}

QString Frm抽签::caption(int counter) const {
    return QStringLiteral("已随机产生 ") + QString::number(counter) + QStringLiteral(" 组符合要求的抽签结论");
}

// ---- layout ----

void Frm抽签::layoutBoxes() {
    if (!boxes_->arrange(rooms_, ruleState(engine::Rule::DrawSupervisors) != engine::RuleState::Off,
                         kTooManyBox)) {
        services_.prompter.message(this, kTooManyMessage, common::Prompter::Icon::Information);
        Cmd抽签->setEnabled(false);
    }
    applyGeometry();
}

void Frm抽签::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (opened_)
        applyGeometry();
}

void Frm抽签::applyGeometry() {
    scale_ = panel_.place(size(), [this](const QFontMetrics& fm) {
        return engine::widestRoomText(ws_, textWithSupervisor(), [&fm](const QString& piece) {
            return fm.horizontalAdvance(piece.left(kMeasuredPieceLength));
        });
    });
}

void Frm抽签::showInitial() {
    setWindowTitle(QStringLiteral("抽签  加载初始数据"));
    QVector<int> nobodyMoved(rooms_ + 1);
    std::iota(nobodyMoved.begin(), nobodyMoved.end(), 0);
    const QVector<QString> supervisors = engine::initialSupervisors(ws_);
    boxes_->showRooms(ws_, nobodyMoved, nobodyMoved, textWithSupervisor() ? &supervisors : nullptr);
}

bool Frm抽签::textWithSupervisor() const {
    return ruleState(engine::Rule::DrawSupervisors) == engine::RuleState::On;
}

// ---- the draw run ----

void Frm抽签::drawClicked() {
    if (run_.phase() == engine::DrawRun::Phase::Running)
        stopRun();
    else if (run_.phase() == engine::DrawRun::Phase::Idle)
        startRun();
}

void Frm抽签::stopDelayTick() {
    if (run_.phase() == engine::DrawRun::Phase::Idle) {
        // A start that was declined leaves nothing to enable.
        stopDelayTimer_->stop();
        return;
    }
    if (run_.phase() == engine::DrawRun::Phase::Running) {
        Cmd抽签->setEnabled(true);
        Cmd抽签->setDefault(true);
    }
}

void Frm抽签::startRun() {
    if (!opened_)
        return;
    stopDelayTimer_->start();
    layoutBoxes();
    if (boxes_->tooMany())
        return;
    if (!run_.saved() &&
        !services_.prompter.confirm(
            this, QStringLiteral("存在未保存的抽签结论，如果继续抽签，将抛弃数据！") + kDiscardTail,
            common::Prompter::Icon::Information))
        return;

    snapshot_ = panel_.snapshot();
    snapshotCaption_ = windowTitle();
    panel_.recordLabel->clear(); // it spoke of the saved draw, which a new one replaces on screen

    Cmd抽签->setEnabled(false);
    Cmd抽签->setText(kStop);
    for (QPushButton* b : {Cmd选抽签人, Cmd加载, Cmd保存, Cmd打印})
        b->setEnabled(false);
    panel_.setRuleBoxesEnabled(false);
    boxes_->paintNormal(kRoomBoxes - 1);

    engine::DrawResult begun;
    const auto start = [&] {
        begun = run_.start(currentSettings(), engine::loadPairingHistory(database(), state_.DQXM),
                           engine::loadDutyHistory(database(), state_.DQXM, QStringLiteral("场外监考"),
                                                   ws_.supervisorCount()));
    };
    if (!common::ui::attemptAction(start, kHistoryUnreadable, [this](const QString& why) { abortRun(why); }))
        return;
    if (begun.status == engine::DrawStatus::Impossible) {
        abortRun(begun.reason);
        return;
    }
    runTimer_->start();
}

void Frm抽签::runTick() {
    const bool stopping = run_.phase() == engine::DrawRun::Phase::Stopping;
    if (!stopping && run_.phase() != engine::DrawRun::Phase::Running)
        return;
    const engine::DrawResult r = stopping ? run_.finish(kSliceMs) : run_.tick(kSliceMs);
    if (r.status == engine::DrawStatus::Impossible) {
        abortRun(r.reason);
    } else if (r.candidates > 0 && stopping) {
        finishStop();
    } else if (r.candidates > 0) {
        const bool withSupervisor = run_.settings()[engine::Rule::DrawSupervisors] == engine::RuleState::On;
        boxes_->showRooms(ws_, run_.shown().a, run_.shown().b,
                          withSupervisor ? &run_.shownSupervisors() : nullptr, &services_.random);
        setWindowTitle(caption(run_.counter()));
    }
}

void Frm抽签::stopRun() {
    stopDelayTimer_->stop();
    Cmd抽签->setEnabled(false);
    engine::DrawResult r;
    // Saves made meanwhile by another program count for the result.
    const auto stop = [&] { r = run_.stop(engine::loadPairingHistory(database(), state_.DQXM), kSliceMs); };
    if (!common::ui::attemptAction(stop, kHistoryUnreadable, [this](const QString& why) { abortRun(why); }))
        return;
    if (r.status == engine::DrawStatus::Impossible)
        abortRun(r.reason);
    else if (r.candidates > 0)
        finishStop();
}

void Frm抽签::finishStop() {
    runTimer_->stop();
    stopDelayTimer_->stop();
    const QString unrecorded = recordStop();
    Cmd抽签->setText(kStart);
    Cmd抽签->setEnabled(true);
    for (QPushButton* b : {Cmd选抽签人, Cmd加载, Cmd保存})
        b->setEnabled(true);
    if (state_.project.rulesEditable)
        panel_.setRuleBoxesEnabled(true);
    const engine::DrawRun::Result& result = run_.result();
    boxes_->showRooms(ws_, result.candidate.a, result.candidate.b,
                      result.withSupervisor() ? &result.supervisors : nullptr);
    boxes_->paintNormal(rooms_);
    if (!unrecorded.isEmpty())
        services_.prompter.message(this, unrecorded, common::Prompter::Icon::Warning);
}

// Every result goes into the ledger before it is shown, logged in or not: the login governs saving,
// and a ledger row is no result. A result the ledger could not take is shown and never saved; what
// the operator is told, empty when it was recorded.
QString Frm抽签::recordStop() {
    QString why;
    if (mayRecord())
        common::ui::attemptAction(
            [this] {
                run_.record(database(), {state_.DQXM, subject_, services_.clock.now()});
            },
            engine::kUnrecordedStop, [&why](const QString& text) { why = text; });
    return why;
}

// A read-only database takes no ledger row, as it takes no save: the save says so.
bool Frm抽签::mayRecord() const {
    return !state_.ZD;
}

void Frm抽签::abortRun(const QString& reason) {
    runTimer_->stop();
    stopDelayTimer_->stop();
    run_.abort();
    Cmd抽签->setText(kStart);
    Cmd抽签->setEnabled(true);
    panel_.restore(snapshot_);
    setWindowTitle(snapshotCaption_);
    boxes_->paintNormal(kRoomBoxes);
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
    panel_.setRuleBoxesEnabled(false);
    Cmd选抽签人->setText(kStop);
    Cmd抽签->setDefault(false);
    Cmd选抽签人->setDefault(true);
    setWindowTitle(kPick);
    picked_ = 0;
    pickTick();
    pickTimer_->start();
}

void Frm抽签::pickTick() {
    const int count = boxes_->tooMany() ? 0 : rooms_;
    if (count >= 1) {
        picked_ = services_.random.index(count);
        boxes_->highlight(picked_ - 1);
    }
}

void Frm抽签::stopPick() {
    pickTimer_->stop();
    picking_ = false;
    Cmd选抽签人->setText(kPick);
    setWindowTitle(QStringLiteral("Vardel"));
    // The draw stays blocked for too many rooms, whatever else the pick gives back.
    Cmd抽签->setEnabled(!boxes_->tooMany());
    Cmd选抽签人->setDefault(false);
    Cmd抽签->setDefault(true);
    Cmd加载->setEnabled(true);
    Cmd打印->setEnabled(true);
    if (state_.project.rulesEditable)
        panel_.setRuleBoxesEnabled(true);
    if (picked_ >= 1 && mayRecord())
        common::ui::attemptAction(
            services_.prompter, this,
            [this] {
                engine::recordPick(database(), {state_.DQXM, subject_, services_.clock.now()},
                                   ws_.rooms[picked_].room());
            },
            QStringLiteral("选抽签人的结果未能记入抽签记录！"), common::Prompter::Icon::Warning);
}

// ---- save and load ----

void Frm抽签::saveClicked() {
    if (!opened_)
        return;
    if (!common::writeGuard(state_, services_.prompter, this))
        return;
    if (!state_.LoginSucceeded &&
        !common::ui::askLogin(state_, services_, loginButton_, common::ui::kDrawLoginCaption, this))
        return;
    Frm保存 dialog(this);
    services_.dialogs.run(dialog);
    Cmd打印->setEnabled(true);
    if (dialog.BC == 0 || !run_.hasResult())
        return;

    engine::SaveRequest request;
    request.project = state_.DQXM;
    request.subject = subject_;
    request.time = services_.clock.now();
    request.withDuties = dialog.BC == 2;
    request.allowReturn = ruleState(engine::Rule::AllowReturn);
    request.drawCheckers = ruleState(engine::Rule::DrawCheckers);
    const engine::SaveOutcome outcome = run_.save(database(), request);
    if (!outcome) {
        common::ui::showFailure(services_.prompter, this, outcome.error(), kSaveFailed);
        return;
    }
    showRecord(db::toDateText(request.time));
}

// What the conclusion will print under the saved draw: how often the subject was drawn, which
// draw was saved, and the ledger's newest code.
void Frm抽签::showRecord(const QString& saveTime) {
    reports::LedgerLines lines;
    common::ui::attemptAction(
        services_.prompter, this,
        [&] { lines = reports::ledgerLines(database(), state_.DQXM, subject_, saveTime); },
        QStringLiteral("无法读取抽签记录！"), common::Prompter::Icon::Warning);
    panel_.recordLabel->setText(QStringList{lines.stops, lines.head}.join(QStringLiteral("　")).trimmed());
}

void Frm抽签::loadClicked() {
    if (!opened_)
        return;
    layoutBoxes();
    if (!run_.saved() &&
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
    const auto load = [&] {
        saved = engine::loadSavedDraw(database(), state_.DQXM, subject,
                                      ruleState(engine::Rule::DrawSupervisors) == engine::RuleState::On);
    };
    if (!common::ui::attemptAction(services_.prompter, this, load, QStringLiteral("无法读取抽签结论！")))
        return;
    setWindowTitle(QStringLiteral("抽签  加载[") + subject + QStringLiteral("]数据"));
    for (int i = 0; i < saved.size(); ++i) {
        const QString text = saved[i].boxText();
        boxes_->setText(i, text);
        if (i < rooms_)
            boxes_->keepFitting(text);
    }
    applyGeometry();
}

// ---- closing ----

bool Frm抽签::mayClose() {
    if (run_.phase() != engine::DrawRun::Phase::Idle)
        return false;
    return run_.saved() ||
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
    stopDelayTimer_->stop();
    QDialog::reject();
}

} // namespace draw
