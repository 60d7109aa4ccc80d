#include "manager/ui/roster_editor.h"

#include "common/ui/action_runner.h"
#include "manager/ui/scope_editor.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace manager::ui {

namespace {

QRadioButton* option(const char* name, const QString& caption, QButtonGroup* group, QWidget* parent) {
    auto* b = new QRadioButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    group->addButton(b);
    return b;
}

QLineEdit* lineEdit(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    return edit;
}

// The operator may type as well as choose; the checks refuse anything not in the list.
QComboBox* listEdit(const char* name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromUtf8(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->addItems(items);
    return combo;
}

QLabel* plainLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

Frm监考员::Frm监考员(common::RunState& state, common::Services& services, QWidget* parent)
    : RecordEditor(state, services,
                   rosterDefinition(state.DQXM, RosterCategory::Invigilators, RosterSubset::All), 12, 1,
                   parent) {
    setObjectName(QStringLiteral("Frm监考员"));
    setWindowTitle(QStringLiteral("考务人员设置"));

    QLabel* header = addHeader(QStringLiteral("Label5"));
    listTitleLabel_ = plainLabel("Label9", this);
    QFont bold = listTitleLabel_->font();
    bold.setBold(true);
    listTitleLabel_->setFont(bold);
    grid_->setMinimumWidth(420);

    auto* list = new QVBoxLayout;
    list->addWidget(listTitleLabel_);
    list->addWidget(grid_, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(buildView());
    side->addWidget(buildFields(), 1);
    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addLayout(list, 1);
    body->addLayout(side);

    Cmd责任 = editorButton("Cmd责任", QStringLiteral("责任范围"), this);
    connect(Cmd责任, &QPushButton::clicked, this, [this] { openScopes(); });
    QHBoxLayout* buttons = writeButtons();
    buttons->insertWidget(0, Cmd责任);
    buttons->insertStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(header);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    resize(900, 560);
    applyView();
    load();
}

QWidget* Frm监考员::buildView() {
    auto* box = new QGroupBox(QStringLiteral("显示"), this);
    auto* categories = new QButtonGroup(box);
    invigilatorsOption_ = option("Option4", QStringLiteral("监考员"), categories, box);
    outsideAndCheckersOption_ = option("Option5", QStringLiteral("场外与验卷人员"), categories, box);
    invigilatorsOption_->setChecked(true);
    auto* subsets = new QButtonGroup(box);
    showAllOption_ = option("Option1", QStringLiteral("显示全部"), subsets, box);
    firstDutyOption_ = option("Option2", QString(), subsets, box);
    secondDutyOption_ = option("Option3", QString(), subsets, box);
    showAllOption_->setChecked(true);
    for (QButtonGroup* group : {categories, subsets}) {
        connect(group, &QButtonGroup::buttonClicked, this, [this] {
            pager().setTop(1);
            applyView();
            refresh();
        });
    }
    auto* layout = new QGridLayout(box);
    layout->addWidget(invigilatorsOption_, 0, 0);
    layout->addWidget(outsideAndCheckersOption_, 0, 1, 1, 2);
    layout->addWidget(showAllOption_, 1, 0);
    layout->addWidget(firstDutyOption_, 1, 1);
    layout->addWidget(secondDutyOption_, 1, 2);
    return box;
}

QWidget* Frm监考员::buildFields() {
    auto* box = new QGroupBox(QStringLiteral("人员信息"), this);
    Txt编号 = lineEdit("Txt编号", box);
    Txt姓名 = lineEdit("Txt姓名", box);
    Cmb性别 = listEdit("Cmb性别", {QStringLiteral("男"), QStringLiteral("女")}, box);
    Cmb安排 = listEdit("Cmb安排", {}, box);
    Txt单位 = lineEdit("Txt单位", box);
    Txt电话 = lineEdit("Txt电话", box);
    Txt身份证号 = lineEdit("Txt身份证号", box);
    edits_ = {Txt编号, Txt姓名, Cmb性别, Cmb安排, Txt单位, Txt电话, Txt身份证号};
    numberLabel_ = plainLabel("Label8", box);

    // A screen reader names each field by its own label, never by the box around them.
    numberLabel_->setBuddy(Txt编号);
    auto* form = new QFormLayout;
    form->addRow(numberLabel_, Txt编号);
    form->addRow(QStringLiteral("姓名："), Txt姓名);
    form->addRow(QStringLiteral("性别："), Cmb性别);
    form->addRow(QStringLiteral("安排："), Cmb安排);
    form->addRow(QStringLiteral("工作单位："), Txt单位);
    form->addRow(QStringLiteral("联系电话："), Txt电话);
    form->addRow(QStringLiteral("身份证号："), Txt身份证号);

    txt统计 = new QPlainTextEdit(box);
    txt统计->setObjectName(QStringLiteral("txt统计"));
    txt统计->setAccessibleName(QStringLiteral("人员统计"));
    txt统计->setReadOnly(true);
    txt统计->setFocusPolicy(Qt::NoFocus);
    txt统计->setLineWrapMode(QPlainTextEdit::NoWrap);
    txt统计->setFixedHeight(txt统计->fontMetrics().lineSpacing() * 6 + 14);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addWidget(txt统计);
    layout->addStretch();
    box->setMinimumWidth(330);
    return box;
}

RosterCategory Frm监考员::category() const {
    return outsideAndCheckersOption_->isChecked() ? RosterCategory::Duties : RosterCategory::Invigilators;
}

RosterSubset Frm监考员::subset() const {
    if (firstDutyOption_->isChecked())
        return RosterSubset::Second;
    return secondDutyOption_->isChecked() ? RosterSubset::Third : RosterSubset::All;
}

// The captions, titles and duty list of the chosen view, and the view the grid reads.
void Frm监考员::applyView() {
    const RosterView& v = rosterView(category(), subset());
    firstDutyOption_->setText(v.option2);
    secondDutyOption_->setText(v.option3);
    listTitleLabel_->setText(v.title);
    numberLabel_->setText(v.numberLabel);
    Cmb安排->clear();
    Cmb安排->addItems(v.duties);
    Cmb安排->setCurrentText(v.dutyText);
    if (isUsable())
        source().setDefinition(rosterDefinition(state_.DQXM, category(), subset()));
}

RosterInput Frm监考员::input() const {
    return {Txt编号->text(), Txt姓名->text(), Cmb性别->currentText(), Cmb安排->currentText(),
            Txt单位->text(), Txt电话->text(), Txt身份证号->text()};
}

void Frm监考员::setInput(const RosterInput& in) {
    Txt编号->setText(in.number);
    Txt姓名->setText(in.name);
    Cmb性别->setCurrentText(in.sex);
    Cmb安排->setCurrentText(in.duty);
    Txt单位->setText(in.unit);
    Txt电话->setText(in.phone);
    Txt身份证号->setText(in.idCard);
}

void Frm监考员::showRecord(const Page& page) {
    setInput(page.hasCurrent() ? shownRoster(page.current()) : RosterInput{});
    // The page of the same refresh read the same table and has said what went wrong.
    common::ui::attemptAction([this] { txt统计->setPlainText(rosterSummary(database(), state_.DQXM)); }, {},
                              [this](const QString&) { txt统计->clear(); });
}

void Frm监考员::clearFields() {
    setInput({});
    Txt编号->setFocus();
}

QStringList Frm监考员::plainFields() {
    QStringList warnings;
    const RosterInput plain = plainRoster(input(), warnings);
    Txt姓名->setText(plain.name);
    Txt单位->setText(plain.unit);
    return warnings;
}

std::optional<FieldError> Frm监考员::checkFields() {
    return checkRoster(input(), category());
}

RosterInput Frm监考员::normalise() {
    const RosterInput saved = normalisedRoster(input(), state_.project.roomDigits);
    Txt编号->setText(saved.number);
    Txt姓名->setText(saved.name);
    return saved;
}

Fields Frm监考员::fieldsToAdd() {
    return newRosterFields(normalise(), state_.DQXM, category());
}

Fields Frm监考员::fieldsToModify() {
    return rosterFields(normalise(), state_.DQXM);
}

void Frm监考员::updateControls() {
    const bool editing = page().hasCurrent() || mode().adding();
    for (QWidget* w : std::as_const(edits_))
        w->setEnabled(editing);
    // A view switched while a new person is typed would fill his fields with someone else.
    for (QRadioButton* b : {invigilatorsOption_, outsideAndCheckersOption_, showAllOption_, firstDutyOption_,
                            secondDutyOption_})
        b->setEnabled(!mode().adding());
    Cmd责任->setEnabled(isUsable() && !mode().adding() && scopeButtonEnabled(category(), pager().count()));
}

void Frm监考员::openScopes() {
    Frm责任 scopes(state_, services_, this);
    if (scopes.isUsable())
        services_.dialogs.run(scopes);
}

} // namespace manager::ui
