#include "kitshift/ui/kitshift_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <utility>

#include "common/mp3_encoder.h"
#include "common/ui/dialog_parts.h"
#include "kitshift/folder_checks.h"
#include "kitshift/title_checks.h"
#include "platform/thread_object.h"

namespace kitshift {
namespace {

using common::HostPath;
using common::HostText;
using common::MakeCombo;

constexpr int kTimerMilliseconds = 100;
// More problems than this are counted, not listed, so the box stays on screen.
constexpr size_t kProblemListLimit = 20;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QStringList BitrateNames() {
    QStringList names;
    for (uint32_t bitrate : common::Mp3Encoder::kBitrates) names << QString("%1bit").arg(bitrate);
    return names;
}

QStringList FrequencyNames() {
    QStringList names;
    for (uint32_t frequency : common::Mp3Encoder::kFrequencies) {
        names << QString::asprintf("%.2fkHz", frequency / 1000.0);
    }
    return names;
}

void AddRow(QGridLayout* grid, int row, const char* label, QWidget* control) {
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(control, row, 1);
}

// What a finished job wrote, in a few lines.
QString SummaryText(const JobSummary& summary, const std::filesystem::path& output) {
    QStringList lines;
    lines << Text("変換が終わりました。") << Text("出力先: %1").arg(HostText(output));
    QString graphics = summary.graphicsArchiveWritten
                           ? Text("grpack.mlz: %1 件").arg(summary.graphicsEntries)
                           : Text("grpack.mlz: 作成されませんでした");
    QString voices = summary.voiceArchiveWritten
                         ? Text("voice.mlz: %1 件").arg(summary.voiceEntries)
                     : summary.voiceIndexFound ? Text("voice.mlz: 作成されませんでした")
                                               : Text("voice.mlz: なし (voice.dat がありません)");
    lines << graphics + Text("、MP3: %1 件、").arg(summary.musicFiles) + voices;
    return lines.join('\n');
}

QString ProblemsText(const std::vector<JobProblem>& problems, const QString& failure,
                     const QString& summary, const std::filesystem::path& output) {
    QStringList lines;
    lines << summary << QString();
    lines << Text("次のファイルを変換できませんでした。");
    if (!failure.isEmpty()) lines << failure;
    for (size_t i = 0; i < problems.size() && i < kProblemListLimit; ++i) {
        // Output files by their whole path: they are not where the source is.
        QString file = problems[i].place == ProblemPlace::kOutput
                           ? HostText(output / problems[i].file)
                           : QString::fromStdString(problems[i].file);
        lines << file + ": " + QString::fromStdString(problems[i].reason);
    }
    if (problems.size() > kProblemListLimit) {
        lines << Text("ほか %1 件").arg(problems.size() - kProblemListLimit);
    }
    return lines.join('\n');
}

}  // namespace

int RunKitshiftDialog(int argc, char** argv) {
    QApplication app(argc, argv);
    KitshiftDialog dialog;
    dialog.show();
    return app.exec();
}

KitshiftDialog::KitshiftDialog(std::filesystem::path outputFolder, QWidget* parent)
    : QDialog(parent), outputFolder_(std::move(outputFolder)) {
    if (this->outputFolder_.empty()) this->outputFolder_ = std::filesystem::current_path();
    setWindowTitle(Text(kProgramCaption));

    pathBox_ = new CWinEdit;
    pathBox_->setObjectName("pathBox");
    connect(pathBox_, &CWinEdit::PathDropped, this, &KitshiftDialog::SetSourceFolder);
    auto* browseButton = new QPushButton(Text("参照(&F)"));
    browseButton->setObjectName("browseButton");
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &KitshiftDialog::Browse);
    startButton_ = new QPushButton(Text("開始(&S)"));
    startButton_->setObjectName("startButton");
    startButton_->setAutoDefault(false);
    connect(startButton_, &QPushButton::clicked, this, &KitshiftDialog::Start);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathBox_, 1);
    pathRow->addWidget(browseButton);
    pathRow->addWidget(startButton_);

    // Where the results go is on show, so that nothing is overwritten unseen.
    outputBox_ = new CWinEdit;
    outputBox_->setObjectName("outputBox");
    outputBox_->setText(HostText(outputFolder_));
    connect(outputBox_, &CWinEdit::PathDropped, outputBox_, &QLineEdit::setText);
    auto* outputRow = new QHBoxLayout;
    outputRow->addWidget(new QLabel(Text("出力先")));
    outputRow->addWidget(outputBox_, 1);

    const QStringList bitrates = BitrateNames();
    const QStringList frequencies = FrequencyNames();
    auto* musicGroup = new QGroupBox(Text("ＢＧＭ設定"));
    musicGroup->setObjectName("musicGroup");
    auto* musicGrid = new QGridLayout(musicGroup);
    AddRow(musicGrid, 0, "BIT", MakeCombo("musicBitrate", bitrates, &settings_.musicBitrateIndex));
    AddRow(musicGrid, 1, "RATE",
           MakeCombo("musicFrequency", frequencies, &settings_.musicFrequencyIndex));
    auto* stereoBox = new QCheckBox(Text("ｽﾃﾚｵ"));
    stereoBox->setObjectName("musicStereo");
    stereoBox->setChecked(settings_.musicStereo != 0);
    // Each click flips the setting; the job reads it as 0 or 1.
    connect(stereoBox, &QCheckBox::clicked, this, [this] { settings_.musicStereo ^= 1; });
    musicGrid->addWidget(stereoBox, 2, 0, 1, 2);

    auto* voiceGroup = new QGroupBox(Text("音声設定"));
    voiceGroup->setObjectName("voiceGroup");
    auto* voiceGrid = new QGridLayout(voiceGroup);
    AddRow(voiceGrid, 0, "BIT", MakeCombo("voiceBitrate", bitrates, &settings_.voiceBitrateIndex));
    AddRow(voiceGrid, 1, "RATE",
           MakeCombo("voiceFrequency", frequencies, &settings_.voiceFrequencyIndex));
    voiceGrid->setRowStretch(2, 1);

    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(musicGroup);
    groupRow->addWidget(voiceGroup);

    QComboBox* formatBox = MakeCombo("outputFormat", {"MP3", "MOGG"}, &settings_.outputFormatIndex);
    formatBox->setEnabled(false);
    QStringList titles;
    for (const char* title : kTitleNames) titles << Text(title);
    auto* choiceRow = new QHBoxLayout;
    choiceRow->addWidget(formatBox);
    choiceRow->addWidget(MakeCombo("title", titles, &settings_.titleIndex), 1);

    statusLabel_ = new QLabel;
    statusLabel_->setObjectName("status");
    progressBar_ = new QProgressBar;
    progressBar_->setObjectName("progressBar");
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    progressBar_->setTextVisible(false);
    auto* statusRow = new QHBoxLayout;
    // The text keeps the room it needs; the bar takes what is left.
    statusLabel_->setMinimumWidth(statusLabel_->fontMetrics().horizontalAdvance(
        Text("変換データ数：0000 / 0000 (WWWWWWWW.WWW)")));
    statusRow->addWidget(statusLabel_);
    statusRow->addWidget(progressBar_, 1);
    resultLabel_ = new QLabel;
    resultLabel_->setObjectName("result");
    resultLabel_->setWordWrap(true);
    resultLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(outputRow);
    layout->addLayout(groupRow);
    layout->addLayout(choiceRow);
    layout->addLayout(statusRow);
    layout->addWidget(resultLabel_);

    progressTimer_ = new QTimer(this);
    connect(progressTimer_, &QTimer::timeout, this, &KitshiftDialog::Tick);
    progressTimer_->start(kTimerMilliseconds);
}

KitshiftDialog::~KitshiftDialog() {
    StopJob();
}

void KitshiftDialog::SetSourceFolder(const QString& path) {
    pathBox_->setText(path);
}

void KitshiftDialog::Start() {
    if (job_) return;
    const QString folder = pathBox_->text();
    if (folder.isEmpty()) return;
    if (!EncoderModuleAvailable()) {
        ShowMessage(MessageKind::kWarning, Text(kModuleMissingCaption), Text(kModuleMissingText));
        return;
    }
    settings_.sourceFolder = HostPath(folder);
    if (!HasTitleExecutable(settings_.sourceFolder)) {
        ShowMessage(MessageKind::kWarning, Text(kFolderWrongCaption), Text(kFolderWrongText));
        return;
    }
    const QString output = outputBox_->text().trimmed();
    std::filesystem::path outputFolder = output.isEmpty() ? outputFolder_ : HostPath(output);
    std::string why;
    if (!PrepareOutputFolder(outputFolder, &why)) {
        ShowMessage(MessageKind::kWarning, Text(kFolderWrongCaption),
                    Text("出力先のフォルダに書き込めません。\n%1: %2")
                        .arg(HostText(outputFolder), QString::fromStdString(why)));
        return;
    }
    settings_.pictureLists = LoadPictureLists(DefaultPictureListsPath());
    settings_.outputFolder = outputFolder;

    auto started = std::make_unique<ConversionJob>(settings_);
    try {
        started->Create();
        started->Resume();
    } catch (const platform::CCtrlFailed& failure) {
        ShowMessage(MessageKind::kWarning, Text(kProgramCaption),
                    QString::fromUtf8(failure.what()));
        return;
    }
    job_ = std::move(started);
    startButton_->setEnabled(false);
    resultLabel_->clear();
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
}

void KitshiftDialog::done(int result) {
    StopJob();
    QDialog::done(result);
}

void KitshiftDialog::ShowMessage(MessageKind kind, const QString& caption, const QString& text) {
    if (kind == MessageKind::kWarning) {
        QMessageBox::warning(this, caption, text);
        return;
    }
    // The problem list stays open beside the dialog without blocking it.
    auto* box = new QMessageBox(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

QString KitshiftDialog::ChooseFolder() {
    return QFileDialog::getExistingDirectory(this, Text(kBrowseTitle), pathBox_->text());
}

void KitshiftDialog::Browse() {
    const QString path = ChooseFolder();
    if (!path.isEmpty()) SetSourceFolder(path);
}

void KitshiftDialog::Tick() {
    if (!job_) return;
    if (!job_->IsDone()) {
        const int done = job_->EntriesDone();
        const int total = job_->EntriesTotal();
        statusLabel_->setText(
            QString::fromStdString(FormatProgress(done, total, job_->CurrentName())));
        if (total > 0) {
            progressBar_->setRange(0, total);
            progressBar_->setValue(std::min(done, total));
        }
        return;
    }
    statusLabel_->clear();
    FinishJob();
}

void KitshiftDialog::FinishJob() {
    QString failure;
    try {
        job_->Wait();
    } catch (const std::exception& error) {
        // Wait hands on what ended the run early; it is shown with the problems.
        failure = QString::fromUtf8(error.what());
    }
    const std::vector<JobProblem> problems = job_->Problems();
    const std::filesystem::path output = job_->Settings().outputFolder;
    const QString summary = SummaryText(job_->Summary(), output);
    const int total = std::max(1, job_->EntriesTotal());
    job_.reset();
    startButton_->setEnabled(true);
    progressBar_->setRange(0, total);
    progressBar_->setValue(total);
    resultLabel_->setText(problems.empty() && failure.isEmpty()
                              ? summary
                              : summary + "\n" +
                                    Text("変換できなかったファイル: %1 件").arg(problems.size()));
    if (!problems.empty() || !failure.isEmpty()) {
        ShowMessage(MessageKind::kInformation, Text(kProgramCaption),
                    ProblemsText(problems, failure, summary, output));
    }
}

void KitshiftDialog::StopJob() {
    if (!job_) return;
    job_->Stop();
    try {
        job_->Wait();
    } catch (const std::exception&) {
        // The dialog is going away; there is no one left to tell.
    }
    job_.reset();
    startButton_->setEnabled(true);
}

}  // namespace kitshift
