#include "store/draw_run.h"

#include <QElapsedTimer>

namespace engine {

namespace {

// Generates until one candidate is made or the slice is over.
DrawResult oneCandidate(DrawEngine& engine, int sliceMs) {
    QElapsedTimer slice;
    slice.start();
    DrawResult r;
    do {
        r = engine.generate(1);
    } while (r.status == DrawStatus::NotYet && slice.elapsed() < sliceMs);
    return r;
}

} // namespace

DrawRun::DrawRun(const WorkingSet& ws, RandomSource& random) : ws_(ws), random_(random) {}

DrawRun::~DrawRun() = default;

DrawResult DrawRun::start(const DrawSettings& settings, const QVector<HistoryRow>& pairingHistory,
                          const QVector<HistoryRow>& supervisorHistory) {
    abort();
    counter_ = 0;
    settings_ = settings;
    supervisorHistory_ = supervisorHistory;
    live_ = std::make_unique<DrawEngine>(ws_, random_);
    const DrawResult begun = live_->begin(settings_, pairingHistory, supervisorHistory_);
    if (begun.status == DrawStatus::Impossible)
        return fail(begun);
    phase_ = Phase::Running;
    return begun;
}

DrawResult DrawRun::tick(int sliceMs) {
    if (phase_ != Phase::Running)
        return {};
    const DrawResult r = oneCandidate(*live_, sliceMs);
    if (r.status == DrawStatus::Impossible)
        return fail(r);
    if (r.candidates > 0)
        counter_ = (counter_ + 1) % (kCounterWrap + 1);
    return r;
}

DrawResult DrawRun::stop(const QVector<HistoryRow>& pairingHistory, int sliceMs) {
    if (phase_ != Phase::Running)
        return {};
    phase_ = Phase::Stopping;
    pending_ = {};
    pending_.settings = settings_;
    pending_.pairingHistory = pairingHistory;
    pending_.supervisorHistory = supervisorHistory_;
    pending_.seed = random_.freshSeed();
    finalRandom_ = std::make_unique<SeededRandom>(pending_.seed);
    final_ = std::make_unique<DrawEngine>(ws_, *finalRandom_);
    const DrawResult begun = final_->begin(settings_, pairingHistory, supervisorHistory_);
    if (begun.status == DrawStatus::Impossible)
        return fail(begun);
    return finishing(sliceMs);
}

DrawResult DrawRun::finish(int sliceMs) {
    if (phase_ != Phase::Stopping)
        return {};
    return finishing(sliceMs);
}

DrawResult DrawRun::finishing(int sliceMs) {
    const DrawResult r = oneCandidate(*final_, sliceMs);
    if (r.status == DrawStatus::Impossible)
        return fail(r);
    if (r.candidates == 0)
        return r;
    pending_.candidate = final_->candidate();
    pending_.supervisors = final_->roomSupervisors();
    result_ = std::move(pending_);
    hasResult_ = true;
    ++stops_;
    saved_ = false;
    abort();
    return r;
}

void DrawRun::abort() {
    phase_ = Phase::Idle;
    live_.reset();
    final_.reset();
    finalRandom_.reset();
}

DrawResult DrawRun::fail(const DrawResult& r) {
    abort();
    return r;
}

const Candidate& DrawRun::shown() const {
    static const Candidate none;
    return live_ ? live_->candidate() : none;
}

const QVector<QString>& DrawRun::shownSupervisors() const {
    static const QVector<QString> none;
    return live_ ? live_->roomSupervisors() : none;
}

void DrawRun::record(db::Database& db, const EventPlace& at) {
    if (!hasResult_ || result_.stop > 0)
        return;
    result_.stop =
        recordStop(db, at, drawnInputs(ws_, result_, at.project, at.subject), result_.candidate, stops_);
}

SaveOutcome DrawRun::save(db::Database& db, const SaveRequest& request) {
    if (!hasResult_)
        return base::failure(QStringLiteral("没有可保存的抽签结论！"));
    const SaveOutcome outcome = saveDraw(db, ws_, result_, request);
    if (outcome)
        saved_ = true;
    return outcome;
}

} // namespace engine
