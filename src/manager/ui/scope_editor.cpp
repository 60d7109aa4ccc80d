#include "manager/ui/scope_editor.h"

#include "common/ui/action_runner.h"

#include "manager/ui/record_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace manager::ui {

Frm责任::Frm责任(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Frm责任"));
    setWindowTitle(QStringLiteral("场外监考与验卷责任范围设置"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* outsideOption = new QRadioButton(categoryText(DutyCategory::Outside), this);
    outsideOption->setObjectName(QStringLiteral("Option1"));
    outsideOption->setChecked(true);
    auto* checkersOption = new QRadioButton(categoryText(DutyCategory::PaperCheck), this);
    checkersOption->setObjectName(QStringLiteral("Option2"));
    connect(outsideOption, &QRadioButton::clicked, this, [this] { chooseCategory(DutyCategory::Outside); });
    connect(checkersOption, &QRadioButton::clicked, this,
            [this] { chooseCategory(DutyCategory::PaperCheck); });
    headingLabel_ = new QLabel(scopeHeading(DutyCategory::Outside), this);
    headingLabel_->setObjectName(QStringLiteral("Label7"));
    headingLabel_->setTextFormat(Qt::PlainText);
    QFont heading = headingLabel_->font();
    heading.setBold(true);
    heading.setPointSize(heading.pointSize() + 2);
    headingLabel_->setFont(heading);

    grid_ = new RecordGrid(ScopeModel::kPageSize, 1, this);
    grid_->setMinimumWidth(200);
    connect(grid_, &RecordGrid::scrolled, this, [this](int top) {
        if (!model_)
            return;
        model_->pager().setTop(top);
        refresh();
    });
    connect(grid_, &RecordGrid::rowClicked, this, [this](int row) {
        if (model_ && model_->pager().clickRow(row))
            refresh();
    });

    saveButton_ = editorButton("Command1", QStringLiteral("保存"), this);
    invertButton_ = editorButton("Command2", QStringLiteral("反选"), this);
    selectAllButton_ = editorButton("Command3", QStringLiteral("全选"), this);
    oneToOneButton_ = editorButton("Command4", QStringLiteral("一对一自动匹配"), this);
    connect(saveButton_, &QPushButton::clicked, this, [this] { save(); });
    connect(invertButton_, &QPushButton::clicked, this, [this] {
        for (QCheckBox* box : std::as_const(Chk考室))
            box->setChecked(!box->isChecked());
    });
    connect(selectAllButton_, &QPushButton::clicked, this, [this] {
        for (QCheckBox* box : std::as_const(Chk考室))
            box->setChecked(true);
    });
    connect(oneToOneButton_, &QPushButton::clicked, this, [this] { oneToOne(); });

    Lbl超出 = new QLabel(this);
    Lbl超出->setObjectName(QStringLiteral("Lbl超出"));
    Lbl超出->setTextFormat(Qt::PlainText);
    Lbl超出->setWordWrap(true);
    Lbl超出->setStyleSheet(QStringLiteral("color: rgb(192, 0, 0);"));
    Lbl超出->hide();

    auto* options = new QHBoxLayout;
    options->addWidget(outsideOption);
    options->addWidget(checkersOption);
    options->addStretch();
    auto* people = new QVBoxLayout;
    people->addLayout(options);
    people->addWidget(grid_, 1);
    auto* body = new QHBoxLayout;
    body->setSpacing(14);
    body->addLayout(people);
    body->addWidget(buildRooms(), 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {saveButton_, invertButton_, selectAllButton_, oneToOneButton_})
        buttons->addWidget(b);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(10);
    layout->addWidget(headingLabel_);
    layout->addLayout(body, 1);
    layout->addWidget(Lbl超出);
    layout->addLayout(buttons);

    common::ui::attemptAction(
        services_.prompter, parent,
        [&] { model_ = std::make_unique<ScopeModel>(common::runDatabase(state), state.DQXM); },
        QStringLiteral("数据库无法打开！"));
    refresh();
}

Frm责任::~Frm责任() = default;

// The grid's places, hidden until a room stands on them; box k in column k div 18, row k mod 18.
QWidget* Frm责任::buildRooms() {
    auto* rooms = new QWidget(this);
    auto* layout = new QGridLayout(rooms);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(10);
    layout->setVerticalSpacing(2);
    for (int k = 0; k < ScopeModel::kGridPlaces; ++k) {
        auto* box = new QCheckBox(rooms);
        box->setObjectName(QStringLiteral("Chk考室_%1").arg(k));
        box->setToolTip(QString::number(k));
        box->hide();
        layout->addWidget(box, k % ScopeModel::kBoxesPerColumn, k / ScopeModel::kBoxesPerColumn);
        Chk考室 << box;
    }
    // The window keeps the size of the whole grid, however few rooms a project has.
    const QSize place = QCheckBox(QStringLiteral("00000")).sizeHint();
    for (int c = 0; c < ScopeModel::kColumns; ++c)
        layout->setColumnMinimumWidth(c, place.width());
    for (int r = 0; r < ScopeModel::kBoxesPerColumn; ++r)
        layout->setRowMinimumHeight(r, place.height());
    layout->setRowStretch(ScopeModel::kBoxesPerColumn, 1);
    layout->setColumnStretch(ScopeModel::kColumns, 1);
    return rooms;
}

void Frm责任::refresh() {
    const bool read = model_ && attempt([this] { model_->refresh(); }, QStringLiteral("读取数据失败！"));
    if (read) {
        grid_->showPage(model_->page(), model_->pager());
    } else {
        grid_->clear();
    }
    showRooms();
    const bool writable = read && state_.LoginSucceeded;
    saveButton_->setEnabled(writable && model_->editEnabled());
    invertButton_->setEnabled(read && model_->editEnabled());
    selectAllButton_->setEnabled(read && model_->editEnabled());
    oneToOneButton_->setEnabled(writable && model_->oneToOneEnabled());
    Lbl超出->setText(read ? model_->overflowText() : QString());
    Lbl超出->setVisible(!Lbl超出->text().isEmpty());
}

// 显示考室: the current person's rooms ticked and red; rooms of others disabled.
void Frm责任::showRooms() {
    const QVector<RoomBox> boxes = model_ ? model_->boxes() : QVector<RoomBox>();
    for (int k = 0; k < Chk考室.size(); ++k) {
        QCheckBox* box = Chk考室[k];
        if (k >= boxes.size()) {
            box->hide();
            box->setChecked(false);
            continue;
        }
        box->setText(boxes[k].room);
        box->setEnabled(boxes[k].enabled);
        box->setChecked(boxes[k].ticked);
        box->setStyleSheet(boxes[k].ticked ? QStringLiteral("color: rgb(255, 0, 0);") : QString());
        box->show();
    }
}

QVector<bool> Frm责任::ticks() const {
    QVector<bool> out;
    for (int k = 0; k < model_->shownRooms(); ++k)
        out << Chk考室[k]->isChecked();
    return out;
}

void Frm责任::chooseCategory(DutyCategory category) {
    headingLabel_->setText(scopeHeading(category));
    if (!model_)
        return;
    model_->setCategory(category);
    refresh();
}

// The boxes stay as the operator left them; only the rooms taken by others are read again.
void Frm责任::save() {
    if (!guard() || !model_)
        return;
    const QVector<bool> ticked = ticks();
    attempt([this, &ticked] { model_->save(ticked); }, QStringLiteral("责任范围没有保存！"));
}

void Frm责任::oneToOne() {
    if (!guard() || !model_)
        return;
    attempt([this] { model_->oneToOne(); }, QStringLiteral("责任范围没有保存！"));
    refresh();
}

bool Frm责任::guard() {
    return common::writeGuard(state_, services_.prompter, this);
}

bool Frm责任::attempt(const std::function<void()>& action, const QString& what) {
    return common::ui::attemptAction(services_.prompter, this, action, what);
}

} // namespace manager::ui
