#include "manager/ui/project_editor.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace manager::ui {

Frm项目::Frm项目(common::RunState& state, common::Services& services, QWidget* parent)
    : RecordEditor(state, services, projectDefinition(), 5, 2, parent) {
    setObjectName(QStringLiteral("Frm项目"));
    setWindowTitle(QStringLiteral("项目管理"));

    setCurrentButton_ = editorButton("Command1", QStringLiteral("设置为当前项目"), this);
    connect(setCurrentButton_, &QPushButton::clicked, this, [this] { setCurrent(); });

    auto* listTitle = new QLabel(QStringLiteral("考试项目"), this);
    QFont bold = listTitle->font();
    bold.setBold(true);
    listTitle->setFont(bold);
    grid_->setMinimumWidth(300);
    auto* left = new QVBoxLayout;
    left->addWidget(listTitle);
    left->addWidget(grid_, 1);
    left->addWidget(setCurrentButton_);

    auto* right = new QVBoxLayout;
    right->addWidget(buildFields());
    right->addWidget(buildColours());
    right->addStretch();
    right->addLayout(writeButtons());

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->setSpacing(14);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    resize(820, 560);
    load();
}

QWidget* Frm项目::buildFields() {
    auto* box = new QGroupBox(QStringLiteral("项目信息"), this);
    auto* names = new QFormLayout;
    for (const TextRule& r : projectTexts()) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(r.control);
        edit->setMinimumWidth(260);
        texts_[r.control] = edit;
        names->addRow(r.label, edit);
    }
    auto* rules = new QGridLayout;
    rules->setHorizontalSpacing(10);
    int k = 0;
    for (const ComboRule& r : projectCombos()) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(r.control);
        combo->addItems(r.items);
        // The width and the report rows take a typed number as well; the check refuses any
        // number not in the list.
        combo->setEditable(!r.unit.isEmpty());
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCurrentText(r.designText);
        combos_[r.control] = combo;
        // A screen reader names each box by its own label, never by the group around them.
        auto* label = new QLabel(r.label, this);
        label->setBuddy(combo);
        rules->addWidget(label, k / 2, (k % 2) * 2);
        rules->addWidget(combo, k / 2, (k % 2) * 2 + 1);
        ++k;
    }
    rules->setColumnStretch(1, 1);
    rules->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(box);
    layout->addLayout(names);
    layout->addSpacing(6);
    layout->addLayout(rules);
    return box;
}

QWidget* Frm项目::buildColours() {
    auto* box = new QGroupBox(QStringLiteral("抽签显示颜色"), this);
    auto* layout = new QGridLayout(box);
    const auto row = [this, layout](std::array<QLineEdit*, 3>& boxes, const char* name, const QString& label,
                                    ColourKind kind, int line) {
        layout->addWidget(new QLabel(label, this), line, 0);
        static const QString components[3] = {QStringLiteral("红"), QStringLiteral("绿"),
                                              QStringLiteral("蓝")};
        for (int i = 0; i < 3; ++i) {
            auto* edit = new QLineEdit(defaultColourComponent(kind, i), this);
            edit->setObjectName(QString::fromUtf8(name) + QStringLiteral("_%1").arg(i));
            edit->setAccessibleName(QString(label).remove(QLatin1Char(':')) + components[i]);
            edit->setMaxLength(3);
            edit->setFixedWidth(52);
            edit->setAlignment(Qt::AlignCenter);
            connect(edit, &QLineEdit::textEdited, this, [this, kind, i] { colourEdited(kind, i); });
            boxes[i] = edit;
            layout->addWidget(edit, line, i + 1);
        }
    };
    row(Txt前景, "Txt前景", QStringLiteral("文字颜色:"), ColourKind::Text, 0);
    row(Txt背景, "Txt背景", QStringLiteral("背景颜色:"), ColourKind::Background, 1);
    TxtYB = new QLineEdit(QStringLiteral("抽签颜色样本"), this);
    TxtYB->setObjectName(QStringLiteral("TxtYB"));
    TxtYB->setAccessibleName(QStringLiteral("颜色样本"));
    TxtYB->setReadOnly(true);
    TxtYB->setFocusPolicy(Qt::NoFocus);
    TxtYB->setAlignment(Qt::AlignCenter);
    TxtYB->setMinimumHeight(56);
    QFont big = TxtYB->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    TxtYB->setFont(big);
    layout->addWidget(TxtYB, 0, 4, 2, 1);
    layout->setColumnStretch(4, 1);
    layout->setColumnMinimumWidth(4, 200);
    return box;
}

ProjectForm Frm项目::form() const {
    ProjectForm f;
    for (auto it = texts_.cbegin(); it != texts_.cend(); ++it)
        f.values[it.key()] = it.value()->text();
    for (auto it = combos_.cbegin(); it != combos_.cend(); ++it)
        f.values[it.key()] = it.value()->currentText();
    for (int i = 0; i < 3; ++i) {
        f.text[i] = Txt前景[i]->text();
        f.background[i] = Txt背景[i]->text();
    }
    return f;
}

void Frm项目::setForm(const ProjectForm& f) {
    for (auto it = texts_.cbegin(); it != texts_.cend(); ++it) {
        it.value()->setText(f.values.value(it.key()));
        it.value()->setCursorPosition(0); // a long name shows its beginning
    }
    for (auto it = combos_.cbegin(); it != combos_.cend(); ++it) {
        if (it.value()->isEditable())
            it.value()->setEditText(f.values.value(it.key()));
        else
            it.value()->setCurrentText(f.values.value(it.key()));
    }
    for (int i = 0; i < 3; ++i) {
        Txt前景[i]->setText(f.text[i]);
        Txt背景[i]->setText(f.background[i]);
    }
    ybs();
}

void Frm项目::ybs() {
    const auto rgb = [this](const std::array<QLineEdit*, 3>& boxes, ColourKind kind) {
        Colour c;
        for (int i = 0; i < 3; ++i)
            c[i] = boxes[i]->text();
        return QStringLiteral("rgb(%1, %2, %3)")
            .arg(colourComponent(c, kind, 0))
            .arg(colourComponent(c, kind, 1))
            .arg(colourComponent(c, kind, 2));
    };
    TxtYB->setStyleSheet(QStringLiteral("QLineEdit { color: %1; background-color: %2; }")
                             .arg(rgb(Txt前景, ColourKind::Text), rgb(Txt背景, ColourKind::Background)));
}

void Frm项目::colourEdited(ColourKind kind, int index) {
    QLineEdit* box = (kind == ColourKind::Text ? Txt前景 : Txt背景)[index];
    if (!validColourComponent(box->text())) {
        services_.prompter.message(this, kColourRangeText, common::Prompter::Icon::Warning);
        box->setText(defaultColourComponent(kind, index));
        box->setFocus();
        box->selectAll();
    }
    ybs();
}

void Frm项目::showRecord(const Page& page) {
    if (page.hasCurrent())
        setForm(shownProject(page.current(), state_));
}

void Frm项目::clearFields() {
    for (QLineEdit* edit : std::as_const(texts_))
        edit->clear();
    texts_.value(QStringLiteral("Txt考试名称"))->setFocus();
}

QStringList Frm项目::plainFields() {
    QStringList warnings;
    const ProjectForm plain = plainProject(form(), warnings);
    for (auto it = texts_.cbegin(); it != texts_.cend(); ++it)
        it.value()->setText(plain.values.value(it.key()));
    return warnings;
}

std::optional<FieldError> Frm项目::checkFields() {
    return checkProject(form());
}

Fields Frm项目::fieldsToAdd() {
    return newProject(form(), state_.XTID, services_.clock.now());
}

Fields Frm项目::fieldsToModify() {
    return storedProject(form());
}

bool Frm项目::deleteAllowed() const {
    return projectDeleteAllowed(pager().count());
}

void Frm项目::updateControls() {
    setCurrentButton_->setEnabled(isUsable() && page().hasCurrent() &&
                                  canSetCurrent(page().currentId(), state_));
}

void Frm项目::setCurrent() {
    if (!guard() || !page().hasCurrent())
        return;
    const int project = page().currentId();
    bool written = false;
    if (!attempt([&] { written = setCurrentProject(database(), state_, project); },
                 QStringLiteral("当前项目没有设置！")))
        return;
    if (written)
        services_.prompter.message(this, currentProjectSetText(project), common::Prompter::Icon::Information);
    else
        services_.prompter.message(this, kNoSettingsRowText, common::Prompter::Icon::Warning);
    refresh();
}

} // namespace manager::ui
