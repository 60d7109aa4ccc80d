#include "manager/ui/timetable_editor.h"

#include "db/date_text.h"

#include <QEvent>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace manager::ui {

namespace {

QLineEdit* field(const char* name, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    edit->setMinimumWidth(240);
    return edit;
}

} // namespace

Frm时间设置::Frm时间设置(common::RunState& state, common::Services& services, QWidget* parent)
    : RecordEditor(state, services, timetableDefinition(state.DQXM), 5, 1, parent) {
    setObjectName(QStringLiteral("Frm时间设置"));
    setWindowTitle(QStringLiteral("考试时间设置"));

    QLabel* header = addHeader(QStringLiteral("Label7"));
    grid_->setMinimumWidth(440);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(header);
    layout->addWidget(grid_);
    // The two panels share one place: the fields while there are subjects, the offer while none.
    layout->addWidget(buildFields());
    layout->addWidget(buildFillOffer());
    layout->addStretch();
    resize(560, 390);
    load();
}

QFrame* Frm时间设置::buildFields() {
    fieldsFrame_ = new QFrame(this);
    fieldsFrame_->setObjectName(QStringLiteral("Frame2"));
    Txt科目 = field("Txt科目", fieldsFrame_);
    Txt开考时间 = field("Txt开考时间", fieldsFrame_);
    Txt开考时间->setToolTip(kStartToolTip);
    Txt开考时间->installEventFilter(this);
    Txt持续时间 = field("Txt持续时间", fieldsFrame_);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("科目："), Txt科目);
    fields->addRow(QStringLiteral("开考时间："), Txt开考时间);
    fields->addRow(QStringLiteral("持续时间(分)："), Txt持续时间);
    auto* layout = new QVBoxLayout(fieldsFrame_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(fields);
    layout->addLayout(writeButtons());
    return fieldsFrame_;
}

QFrame* Frm时间设置::buildFillOffer() {
    fillFrame_ = new QFrame(this);
    fillFrame_->setObjectName(QStringLiteral("Frame1"));
    fillFrame_->setFrameShape(QFrame::StyledPanel);
    auto* text = new QLabel(kEmptyTimetableText, fillFrame_);
    zhongkaoOption_ = new QRadioButton(QStringLiteral("标准中考时间表"), fillFrame_);
    zhongkaoOption_->setObjectName(QStringLiteral("Option1"));
    zhongkaoOption_->setChecked(true);
    auto* gaokaoOption = new QRadioButton(QStringLiteral("标准高考时间表"), fillFrame_);
    gaokaoOption->setObjectName(QStringLiteral("Option2"));
    fillButton_ = editorButton("Command1", QStringLiteral("确认填充"), fillFrame_);
    addOneButton_ = editorButton("Command2", QStringLiteral("单个追加"), fillFrame_);
    connect(fillButton_, &QPushButton::clicked, this, [this] { fill(); });
    // One by one is the first press of 追加, from the offer.
    connect(addOneButton_, &QPushButton::clicked, Cmd追加, &QPushButton::click);

    auto* options = new QHBoxLayout;
    options->addWidget(zhongkaoOption_);
    options->addWidget(gaokaoOption);
    options->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(fillButton_);
    buttons->addWidget(addOneButton_);
    auto* layout = new QVBoxLayout(fillFrame_);
    layout->addWidget(text);
    layout->addLayout(options);
    layout->addLayout(buttons);
    return fillFrame_;
}

TimetableInput Frm时间设置::input() const {
    return {Txt科目->text(), Txt开考时间->text(), Txt持续时间->text()};
}

void Frm时间设置::showRecord(const Page& page) {
    const TimetableInput shown = page.hasCurrent() ? shownTimetable(page.current()) : TimetableInput{};
    Txt科目->setText(shown.subject);
    Txt开考时间->setText(shown.start);
    Txt持续时间->setText(shown.minutes);
}

void Frm时间设置::clearFields() {
    showRecord({});
    Txt科目->setFocus();
}

QStringList Frm时间设置::plainFields() {
    QStringList warnings;
    Txt科目->setText(plainTimetable(input(), warnings).subject);
    return warnings;
}

std::optional<FieldError> Frm时间设置::checkFields() {
    return checkTimetable(input());
}

Fields Frm时间设置::fieldsToAdd() {
    return timetableFields(input(), state_.DQXM);
}

Fields Frm时间设置::fieldsToModify() {
    return timetableFields(input(), state_.DQXM);
}

void Frm时间设置::updateControls() {
    const TimetablePanels panels = timetablePanels(pager().count());
    // A subject typed one by one into an empty project needs the fields.
    fieldsFrame_->setVisible(panels.fieldsVisible || mode().adding());
    fillFrame_->setVisible(panels.fillVisible && !mode().adding());
    const bool writable = state_.LoginSucceeded && isUsable();
    fillButton_->setEnabled(writable);
    addOneButton_->setEnabled(writable);
}

// A double click on the start puts in the present moment, to be edited from there.
bool Frm时间设置::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Txt开考时间 && event->type() == QEvent::MouseButtonDblClick) {
        Txt开考时间->setText(db::toDateText(services_.clock.now()));
        return true;
    }
    return RecordEditor::eventFilter(watched, event);
}

void Frm时间设置::fill() {
    if (!guard())
        return;
    const StandardTimetable kind =
        zhongkaoOption_->isChecked() ? StandardTimetable::Zhongkao : StandardTimetable::Gaokao;
    const int year = services_.clock.now().date().year();
    if (attempt([&] { fillFromStandard(database(), state_.DQXM, kind, year); },
                QStringLiteral("数据没有保存！")))
        refresh();
}

} // namespace manager::ui
