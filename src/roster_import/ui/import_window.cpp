#include "roster_import/ui/import_window.h"

#include "common/data_folder.h"
#include "common/ui/action_runner.h"
#include "roster_import/import_files.h"
#include "roster_import/import_template.h"
#include "roster_import/import_texts.h"
#include "roster_import/roster_import.h"
#include "roster_import/ui/import_preview.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace roster_import::ui {

namespace {

const QString kCaption = QStringLiteral("数据导入");

// Reading a workbook or writing 1,000 rows takes a moment; the cursor says so, and is back
// before any message box appears.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QCheckBox* categoryBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

} // namespace

Frm数据导入::Frm数据导入(common::RunState& state, common::Services& services, QWidget* parent)
    : QDialog(parent), state_(state), services_(services) {
    setObjectName(QStringLiteral("Frm数据导入"));
    setWindowTitle(kCaption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    // Names typed by the site: shown as they are, never read as markup.
    auto* examLabel = new QLabel(state.project.examName + QLatin1Char('\n') + state.project.siteName, this);
    examLabel->setObjectName(QStringLiteral("Label7"));
    examLabel->setTextFormat(Qt::PlainText);
    examLabel->setAlignment(Qt::AlignCenter);
    QFont title = examLabel->font();
    title.setPointSizeF(title.pointSizeF() * 1.25);
    title.setBold(true);
    examLabel->setFont(title);
    auto* noticeLabel = new QLabel(kImportNoticeText, this);
    noticeLabel->setObjectName(QStringLiteral("Label1"));
    noticeLabel->setTextFormat(Qt::PlainText);
    noticeLabel->setWordWrap(true);

    driveCombo_ = new QComboBox(this);
    driveCombo_->setObjectName(QStringLiteral("Drive1"));
    Txt目录 = new QLineEdit(this);
    Txt目录->setObjectName(QStringLiteral("Txt目录"));
    Txt目录->setReadOnly(true);
    folderList_ = new QListWidget(this);
    folderList_->setObjectName(QStringLiteral("Dir1"));
    folderList_->setAccessibleName(QStringLiteral("子文件夹"));
    fileList_ = new QListWidget(this);
    fileList_->setObjectName(QStringLiteral("File1"));

    invigilatorsBox_ = categoryBox(QStringLiteral("Check1"), QStringLiteral("监考员"), this);
    outsideBox_ = categoryBox(QStringLiteral("Check2"), QStringLiteral("场外监考"), this);
    checkersBox_ = categoryBox(QStringLiteral("Check3"), QStringLiteral("验卷"), this);
    importButton_ = new QPushButton(QStringLiteral("导入数据"), this);
    importButton_->setObjectName(QStringLiteral("Command1"));
    importButton_->setEnabled(false);
    auto* templateButton = new QPushButton(QStringLiteral("生成样表"), this);
    templateButton->setObjectName(QStringLiteral("Command2"));

    // Each list is named by its own label, also for a screen reader.
    const auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* chooser = new QGridLayout;
    chooser->addWidget(label(QStringLiteral("驱动器："), driveCombo_), 0, 0);
    chooser->addWidget(driveCombo_, 0, 1);
    chooser->addWidget(label(QStringLiteral("文件夹："), Txt目录), 1, 0);
    chooser->addWidget(Txt目录, 1, 1);
    chooser->addWidget(label(QStringLiteral("文件（.xls .xlsx .csv）："), fileList_), 1, 2);
    chooser->addWidget(folderList_, 2, 0, 1, 2);
    chooser->addWidget(fileList_, 2, 2);
    chooser->setColumnStretch(1, 1);
    chooser->setColumnStretch(2, 1);
    chooser->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new QLabel(QStringLiteral("导入："), this));
    buttons->addWidget(invigilatorsBox_);
    buttons->addWidget(outsideBox_);
    buttons->addWidget(checkersBox_);
    buttons->addStretch();
    buttons->addWidget(importButton_);
    buttons->addWidget(templateButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(examLabel);
    layout->addSpacing(4);
    layout->addLayout(chooser, 1);
    layout->addWidget(noticeLabel);
    layout->addLayout(buttons);
    resize(680, 480);

    connect(driveCombo_, &QComboBox::activated, this, [this](int index) { 选择驱动器(index); });
    connect(folderList_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { 进入目录(item->text()); });
    connect(fileList_, &QListWidget::currentRowChanged, this, [this] { 选择文件(); });
    connect(fileList_, &QListWidget::itemClicked, this, [this] { 选择文件(); });
    connect(importButton_, &QPushButton::clicked, this, [this] { 导入数据(); });
    connect(templateButton, &QPushButton::clicked, this, [this] { 生成样表(); });

    显示目录(common::userFilesFolder(state.MyPath));
}

void Frm数据导入::显示目录(const QString& folder) {
    folder_ = QDir::cleanPath(QDir(folder).absolutePath());
    Txt目录->setText(QDir::toNativeSeparators(folder_));
    列出驱动器();
    folderList_->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    for (const QString& entry : subfolderEntries(folder_))
        folderList_->addItem(new QListWidgetItem(folderIcon, entry));
    列出文件();
}

void Frm数据导入::列出驱动器() {
    const QSignalBlocker quiet(driveCombo_);
    driveCombo_->clear();
    const QString current = volumeRootOf(folder_);
    for (const QString& root : volumeRoots(folder_))
        driveCombo_->addItem(QDir::toNativeSeparators(root), root);
    driveCombo_->setCurrentIndex(driveCombo_->findData(current));
}

void Frm数据导入::选择驱动器(int index) {
    const QString root = driveCombo_->itemData(index).toString();
    if (!root.isEmpty() && root != volumeRootOf(folder_))
        显示目录(root);
}

void Frm数据导入::进入目录(const QString& entry) {
    显示目录(enterFolder(folder_, entry));
}

void Frm数据导入::列出文件(const QString& keep) {
    {
        const QSignalBlocker quiet(fileList_);
        fileList_->clear();
        const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
        const QStringList names = importableFiles(folder_);
        for (const QString& name : names)
            fileList_->addItem(new QListWidgetItem(fileIcon, name));
        fileList_->setCurrentRow(keep.isEmpty() ? -1 : int(names.indexOf(keep)));
    }
    选择文件();
}

void Frm数据导入::选择文件() {
    const QListWidgetItem* item = fileList_->currentItem();
    path_ = chosenPath(folder_, item ? item->text() : QString());
    importButton_->setEnabled(importButtonEnabled(path_, state_.LoginSucceeded, importButton_->isEnabled()));
}

void Frm数据导入::导入数据() {
    if (!common::writeGuard(state_, services_.prompter, this))
        return;
    const Categories ticked{invigilatorsBox_->isChecked(), outsideBox_->isChecked(),
                            checkersBox_->isChecked()};
    StagedRoster staged;
    {
        const BusyCursor busy;
        staged = prepareRosterImport(path_, ticked, state_.project.roomDigits);
    }
    switch (staged.status) {
    case StagedRoster::Status::Refused:
        // Rows with errors are shown first, all of them; the message names the first.
        if (std::any_of(staged.people.cbegin(), staged.people.cend(),
                        [](const StagedPerson& p) { return p.hasError(); }))
            预览(staged);
        say(staged.refusal.text(), common::Prompter::Icon::Critical);
        return;
    case StagedRoster::Status::Empty:
        // The rows left out are why nothing is usable; they are named first.
        if (!staged.leftOut.isEmpty())
            预览(staged);
        say(kNothingUsableText, common::Prompter::Icon::Information);
        return;
    case StagedRoster::Status::Ready:
        break;
    }
    if (!清除的责任范围(staged))
        return;
    if (!预览(staged) ||
        !services_.prompter.confirm(this, confirmationText(QDir::toNativeSeparators(path_), staged.counts),
                                    common::Prompter::Icon::Information, kCaption)) {
        say(kCancelledText, common::Prompter::Icon::Information);
        return;
    }
    写入(staged);
}

bool Frm数据导入::预览(const StagedRoster& staged) {
    Frm导入预览 preview(staged, this);
    return services_.dialogs.run(preview) == QDialog::Accepted;
}

bool Frm数据导入::清除的责任范围(StagedRoster& staged) {
    return common::ui::attemptAction(
        services_.prompter, this,
        [&] { staged.scopesCleared = clearedScopes(common::runDatabase(state_), state_.DQXM, staged); },
        kDatabaseErrorText, common::Prompter::Icon::Critical, kCaption);
}

void Frm数据导入::写入(const StagedRoster& staged) {
    base::Result<QString> result;
    const auto replace = [&] {
        const BusyCursor busy;
        result = replaceRoster(common::runDatabase(state_), state_.DQXM, staged);
    };
    if (!common::ui::attemptAction(services_.prompter, this, replace, kDatabaseErrorText,
                                   common::Prompter::Icon::Critical, kCaption))
        return;
    say(result ? *result : result.error().text(),
        result ? common::Prompter::Icon::Information : common::Prompter::Icon::Critical);
}

void Frm数据导入::生成样表() {
    const base::Result<QString> written =
        writeImportTemplate(common::userFilesFolder(state_.MyPath), services_.clock.now());
    // The new template shows up at once when the list is on the program folder.
    if (written && QDir(folder_) == QFileInfo(*written).absoluteDir())
        列出文件(fileList_->currentItem() ? fileList_->currentItem()->text() : QString());
    say(written ? templateCreatedText(*written, state_.MyPath) : written.error().message,
        written ? common::Prompter::Icon::Information : common::Prompter::Icon::Critical);
}

void Frm数据导入::say(const QString& text, common::Prompter::Icon icon) {
    services_.prompter.message(this, text, icon, kCaption);
}

} // namespace roster_import::ui
