#include "roster_import/ui/import_preview.h"

#include "roster_import/import_preview_model.h"
#include "roster_import/import_texts.h"

#include <QCheckBox>
#include <QColor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace roster_import::ui {

namespace {

const QColor kErrorBackground(0xFF, 0xD6, 0xD6);
const QColor kWarningBackground(0xFF, 0xF4, 0xC2);
const QColor kErrorText(0xB0, 0x00, 0x00);

// The model's marks as the colours of the rows.
class ColouredPreviewModel : public PreviewModel {
public:
    using PreviewModel::PreviewModel;

    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::BackgroundRole) {
            switch (mark(index.row())) {
            case RowMark::Error:
                return kErrorBackground;
            case RowMark::Warning:
                return kWarningBackground;
            case RowMark::None:
                return {};
            }
        }
        if (role == Qt::ForegroundRole && mark(index.row()) == RowMark::Error &&
            column(index.column()) == Column::Problems)
            return kErrorText;
        return PreviewModel::data(index, role);
    }
};

QTableView* tableFor(ColouredPreviewModel* model, QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setObjectName(QStringLiteral("Grid") + categoryName(model->category()));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setHighlightSections(false);
    view->resizeColumnsToContents();
    // One long cell must not push the other columns off the screen.
    const int widest = view->fontMetrics().horizontalAdvance(QString(16, QChar(0x4E2D)));
    for (int c = 0; c + 1 < model->columnCount(); ++c)
        view->setColumnWidth(c, std::min(view->columnWidth(c), widest));
    return view;
}

QLabel* plainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

} // namespace

Frm导入预览::Frm导入预览(const StagedRoster& staged, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Frm导入预览"));
    setWindowTitle(QStringLiteral("导入预览"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);

    const bool refused = staged.status != StagedRoster::Status::Ready;
    const PreviewSummary summary = previewSummary(staged);
    const bool empty = staged.status == StagedRoster::Status::Empty;

    auto* Lbl人数 = plainLabel(this);
    Lbl人数->setObjectName(QStringLiteral("Lbl人数"));
    Lbl人数->setText((refused ? QStringLiteral("表中有：") : QStringLiteral("将写入：")) + summary.people);
    auto* Lbl问题 = plainLabel(this);
    Lbl问题->setObjectName(QStringLiteral("Lbl问题"));
    QString problems = summary.problems;
    if (staged.scopesCleared > 0)
        problems += QLatin1Char('\n') + scopesClearedText(staged.scopesCleared);
    if (empty)
        problems += QStringLiteral("\n表中没有可以导入的行。");
    else if (refused)
        problems += QStringLiteral("\n红色的行有错误，不能导入。请在表格中改正后重新导入。");
    else if (summary.warnings > 0)
        problems += QStringLiteral("\n黄色的行仍可导入，将按所示内容写入；如需修改请取消并改正表格。");
    Lbl问题->setText(problems);
    if (refused)
        Lbl问题->setStyleSheet(QStringLiteral("color: #b00000;"));

    auto* Chk问题行 = new QCheckBox(QStringLiteral("只显示有问题的行"), this);
    Chk问题行->setObjectName(QStringLiteral("Chk问题行"));
    Chk问题行->setEnabled(summary.errors + summary.warnings > 0);

    // One table per category, objectName "Grid" + the category's name.
    auto* Tab分类 = new QTabWidget(this);
    Tab分类->setObjectName(QStringLiteral("Tab分类"));
    QVector<ColouredPreviewModel*> models;
    for (const Category c : staged.ticked.list()) {
        auto* model = new ColouredPreviewModel(staged, c, this);
        models << model;
        Tab分类->addTab(tableFor(model, Tab分类), model->title());
    }
    connect(Chk问题行, &QCheckBox::toggled, this, [models](bool only) {
        for (ColouredPreviewModel* m : models)
            m->setProblemsOnly(only);
    });

    auto* Cmd继续 = new QPushButton(QStringLiteral("继续导入"), this);
    Cmd继续->setObjectName(QStringLiteral("Cmd继续"));
    Cmd继续->setEnabled(!refused);
    Cmd继续->setVisible(!refused);
    auto* Cmd取消 = new QPushButton(refused ? QStringLiteral("关闭") : QStringLiteral("取消"), this);
    Cmd取消->setObjectName(QStringLiteral("Cmd取消"));
    // Enter must not start the import by accident: the default is the harmless button.
    Cmd取消->setDefault(true);
    connect(Cmd继续, &QPushButton::clicked, this, [this] { accept(); });
    connect(Cmd取消, &QPushButton::clicked, this, [this] { reject(); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Chk问题行);
    buttons->addStretch();
    buttons->addWidget(Cmd继续);
    buttons->addWidget(Cmd取消);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Lbl人数);
    layout->addWidget(Lbl问题);
    layout->addWidget(Tab分类, 1);
    layout->addLayout(buttons);
    // Wide enough for the problem texts where the screen allows it.
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(1180, screen.width() - 80), std::min(600, screen.height() - 80));
}

} // namespace roster_import::ui
