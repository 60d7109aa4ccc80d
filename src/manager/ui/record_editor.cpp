#include "manager/ui/record_editor.h"

#include "common/ui/action_runner.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace manager::ui {

QPushButton* editorButton(const char* objectName, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(objectName));
    b->setAutoDefault(false);
    // The style's own width leaves a long Chinese caption cut at both ends.
    b->setMinimumWidth(std::max(88, b->fontMetrics().horizontalAdvance(caption) + 28));
    return b;
}

RecordEditor::RecordEditor(common::RunState& state, common::Services& services, SourceDefinition source,
                           int pageSize, int linesPerRow, QWidget* parent)
    : QDialog(parent), state_(state), services_(services), pager_(pageSize) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    grid_ = new RecordGrid(pageSize, linesPerRow, this);
    Cmd追加 = editorButton("Cmd追加", QStringLiteral("追加"), this);
    Cmd修改 = editorButton("Cmd修改", QStringLiteral("修改"), this);
    Cmd删除 = editorButton("Cmd删除", QStringLiteral("删除"), this);
    common::ui::attemptAction(
        services_.prompter, parent,
        [&] { source_ = std::make_unique<RecordSource>(common::runDatabase(state), std::move(source)); },
        QStringLiteral("数据库无法打开！"));

    connect(grid_, &RecordGrid::scrolled, this, [this](int top) {
        pager_.setTop(top);
        refresh();
    });
    connect(grid_, &RecordGrid::rowClicked, this, [this](int row) {
        if (pager_.clickRow(row))
            refresh();
    });
    connect(Cmd追加, &QPushButton::clicked, this, [this] { pressAdd(); });
    connect(Cmd修改, &QPushButton::clicked, this, [this] { pressModify(); });
    connect(Cmd删除, &QPushButton::clicked, this, [this] { pressDelete(); });
}

RecordEditor::~RecordEditor() = default;

void RecordEditor::load() {
    if (header_)
        header_->setText(headerText(state_));
    grid_->clear();
    refresh();
}

QLabel* RecordEditor::addHeader(const QString& objectName) {
    header_ = new QLabel(this);
    header_->setObjectName(objectName);
    header_->setTextFormat(Qt::PlainText);
    header_->setAlignment(Qt::AlignCenter);
    QFont f = header_->font();
    f.setPointSize(f.pointSize() + 2);
    f.setBold(true);
    header_->setFont(f);
    return header_;
}

QHBoxLayout* RecordEditor::writeButtons() {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Cmd追加);
    row->addWidget(Cmd修改);
    row->addWidget(Cmd删除);
    return row;
}

void RecordEditor::refresh() {
    if (!isUsable())
        return;
    const bool ok = attempt([this] { page_ = readPage(*source_, pager_); }, QStringLiteral("读取数据失败！"));
    if (!ok)
        page_ = {};
    grid_->showPage(page_, pager_);
    showRecord(page_);
    applyMode();
}

void RecordEditor::applyMode() {
    const EditMode::Buttons b =
        mode_.buttons(state_.LoginSucceeded && isUsable(), page_.hasCurrent(), deleteAllowed());
    Cmd追加->setText(mode_.addCaption());
    Cmd修改->setText(mode_.modifyCaption());
    Cmd追加->setEnabled(b.add);
    Cmd修改->setEnabled(b.modify);
    Cmd删除->setEnabled(b.remove);
    // A new record is typed into empty fields; moving through the list meanwhile would fill them.
    grid_->setEnabled(!mode_.adding());
    updateControls();
}

bool RecordEditor::guard() {
    return common::writeGuard(state_, services_.prompter, this);
}

bool RecordEditor::attempt(const std::function<void()>& action, const QString& what) {
    return common::ui::attemptAction(services_.prompter, this, action, what);
}

void RecordEditor::focusField(const QString& objectName) {
    if (auto* w = findChild<QWidget*>(objectName))
        w->setFocus();
}

bool RecordEditor::passesChecks() {
    if (const QStringList warnings = plainFields(); !warnings.isEmpty())
        services_.prompter.message(this, warnings.join(QLatin1Char('\n')), common::Prompter::Icon::Warning);
    const std::optional<FieldError> e = checkFields();
    if (!e)
        return true;
    services_.prompter.message(this, e->text, common::Prompter::Icon::Warning, kCheckTitle);
    focusField(e->focus);
    return false;
}

void RecordEditor::pressAdd() {
    if (!guard())
        return;
    switch (mode_.pressAdd()) {
    case EditMode::Action::EnterAdd:
        pager_.toLast();
        refresh();
        clearFields();
        break;
    case EditMode::Action::ConfirmAdd:
        if (!passesChecks())
            return;
        if (!attempt([this] { source_->insert(fieldsToAdd()); }, QStringLiteral("数据没有保存！")))
            return;
        mode_.added();
        // The count has grown by the new record; the last record becomes current in one refresh.
        pager_.setCount(pager_.count() + 1);
        pager_.toLast();
        refresh();
        break;
    default:
        break;
    }
    applyMode();
}

void RecordEditor::pressModify() {
    if (!guard())
        return;
    if (mode_.pressModify() == EditMode::Action::CancelAdd) {
        pager_.setTop(1);
        refresh();
        return;
    }
    if (!page_.hasCurrent() || !passesChecks())
        return;
    const int id = page_.currentId();
    if (attempt([this, id] { source_->update(id, fieldsToModify()); }, QStringLiteral("数据没有保存！")))
        refresh();
}

void RecordEditor::pressDelete() {
    if (!guard() || !page_.hasCurrent())
        return;
    if (!services_.prompter.confirm(this, deleteConfirmText(), common::Prompter::Icon::Information,
                                    kDeleteTitle))
        return;
    const int id = page_.currentId();
    if (!attempt([this, id] { source_->remove(id); }, QStringLiteral("记录没有删除！")))
        return;
    pager_.afterDelete();
    refresh();
}

// While adding, Esc gives up the new record instead of closing the editor.
void RecordEditor::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && mode_.modifyCancels()) {
        Cmd修改->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace manager::ui
