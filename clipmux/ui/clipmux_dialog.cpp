#include "clipmux/ui/clipmux_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <exception>
#include <utility>

#include "clipmux/jpeg_codec.h"
#include "common/mp3_encoder.h"
#include "common/ui/dialog_parts.h"
#include "platform/thread_object.h"

namespace clipmux {
namespace {

using common::HostPath;
using common::MakeCombo;

constexpr int kTimerMilliseconds = 100;

QString Text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

// A check box whose every click flips *target between 0 and 1.
QCheckBox* MakeCheck(const QString& name, const char* label, int* target) {
    auto* box = new QCheckBox(Text(label));
    box->setObjectName(name);
    box->setChecked(*target != 0);
    QObject::connect(box, &QCheckBox::clicked, [target] { *target ^= 1; });
    return box;
}

void AddRow(QGridLayout* grid, int row, const char* label, QWidget* control) {
    grid->addWidget(new QLabel(Text(label)), row, 0);
    grid->addWidget(control, row, 1);
}

}  // namespace

int RunClipmuxDialog(int argc, char** argv) {
    QApplication app(argc, argv);
    ClipmuxDialog dialog;
    dialog.show();
    return app.exec();
}

ClipmuxDialog::ClipmuxDialog(std::filesystem::path outputFolder, QWidget* parent)
    : QDialog(parent), outputFolder_(std::move(outputFolder)) {
    if (outputFolder_.empty()) outputFolder_ = std::filesystem::current_path();
    setWindowTitle(Text(kDialogCaption));

    pathBox_ = new CWinEdit;
    pathBox_->setObjectName("pathBox");
    connect(pathBox_, &CWinEdit::PathDropped, this, &ClipmuxDialog::SetInputPath);
    // A typed path counts as chosen too.
    connect(pathBox_, &QLineEdit::textEdited, this, [this](const QString& text) {
        settings_.inputPath = HostPath(text);
        settings_.inputKind = InputKindForPath(settings_.inputPath);
    });
    auto* browseButton = new QPushButton(Text("参照(&F)"));
    browseButton->setObjectName("browseButton");
    browseButton->setAutoDefault(false);
    connect(browseButton, &QPushButton::clicked, this, &ClipmuxDialog::Browse);
    startButton_ = new QPushButton(Text("開始(&S)"));
    startButton_->setObjectName("startButton");
    startButton_->setAutoDefault(false);
    connect(startButton_, &QPushButton::clicked, this, &ClipmuxDialog::Start);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(pathBox_, 1);
    pathRow->addWidget(browseButton);
    pathRow->addWidget(startButton_);

    auto* pictureGrid = new QGridLayout;
    AddRow(pictureGrid, 0, "ﾌﾚｰﾑ数",
           MakeCombo("frameRate", {Text("基準値(MAX15fps)"), "30fps", "15fps", "10fps", "5fps"},
                     &settings_.frameRateChoice));
    AddRow(pictureGrid, 1, "画像サイズ",
           MakeCombo("pictureSize", {"320 * 240", "160 * 120"}, &settings_.pictureSize));
    QCheckBox* jpegBox = MakeCheck("jpegFrames", "圧縮指定", &settings_.jpegFrames);
    // JPEG is the only frame kind the player reads.
    jpegBox->setEnabled(false);
    pictureGrid->addWidget(jpegBox, 2, 0, 1, 2);
    QStringList qualities;
    for (int percent : kQualityPercent) qualities << QString("%1%").arg(percent);
    AddRow(pictureGrid, 3, "画質レベル", MakeCombo("quality", qualities, &settings_.qualityIndex));

    QStringList bitrates;
    for (uint32_t bitrate : common::Mp3Encoder::kBitrates)
        bitrates << QString("%1bit").arg(bitrate);
    QStringList frequencies;
    for (uint32_t frequency : common::Mp3Encoder::kFrequencies)
        frequencies << QString::asprintf("%.2fkHz", frequency / 1000.0);
    auto* soundGroup = new QGroupBox("WAV TO MP3");
    soundGroup->setObjectName("soundGroup");
    auto* soundGrid = new QGridLayout(soundGroup);
    AddRow(soundGrid, 0, "BIT", MakeCombo("bitrate", bitrates, &settings_.bitrateIndex));
    AddRow(soundGrid, 1, "RATE", MakeCombo("frequency", frequencies, &settings_.frequencyIndex));
    soundGrid->addWidget(MakeCheck("stereo", "ｽﾃﾚｵ", &settings_.stereo), 2, 0, 1, 2);

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addLayout(pictureGrid);
    settingsRow->addWidget(soundGroup);

    auto* graphRow = new QHBoxLayout;
    graphRow->addWidget(MakeCheck("forceGraph", "強制DShow", &settings_.forceGraph));
    graphRow->addWidget(MakeCheck("freeRunning", "内部非同期", &settings_.freeRunning));
    graphRow->addStretch(1);

    statusLabel_ = new QLabel;
    statusLabel_->setObjectName("status");

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(pathRow);
    layout->addLayout(settingsRow);
    layout->addLayout(graphRow);
    layout->addWidget(statusLabel_);

    progressTimer_ = new QTimer(this);
    connect(progressTimer_, &QTimer::timeout, this, &ClipmuxDialog::Tick);
    progressTimer_->start(kTimerMilliseconds);
}

ClipmuxDialog::~ClipmuxDialog() {
    StopJob();
}

void ClipmuxDialog::SetInputPath(const QString& path) {
    pathBox_->setText(path);
    settings_.inputPath = HostPath(path);
    settings_.inputKind = InputKindForPath(settings_.inputPath);
}

void ClipmuxDialog::Start() {
    if (job_ || settings_.inputPath.empty()) return;
    MovieSettings settings = settings_;
    settings.outputFolder = outputFolder_;
    auto started = std::make_unique<MovieJob>(std::move(settings));
    try {
        started->Create();
        started->Resume();
    } catch (const platform::CCtrlFailed& failure) {
        ShowReport(QString::fromUtf8(failure.what()));
        return;
    }
    job_ = std::move(started);
    startButton_->setEnabled(false);
}

void ClipmuxDialog::done(int result) {
    StopJob();
    QDialog::done(result);
}

QString ClipmuxDialog::ChooseFile() {
    QString selected = "avi file (*.avi)";
    return QFileDialog::getOpenFileName(this, QString(), pathBox_->text(),
                                        "avi file (*.avi);;mj file (*.mj);;all file (*.*)",
                                        &selected);
}

void ClipmuxDialog::ShowReport(const QString& text) {
    auto* box = new QMessageBox(QMessageBox::Information, Text(kDialogCaption), text,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void ClipmuxDialog::Browse() {
    QString path = ChooseFile();
    if (path.isEmpty()) return;
    // The file dialog's default extension.
    if (QFileInfo(path).suffix().isEmpty() && !QFile::exists(path)) path += ".avi";
    SetInputPath(path);
}

void ClipmuxDialog::Tick() {
    if (!job_) return;
    if (!job_->IsDone()) {
        statusLabel_->setText(
            Text("変換データ数：%1 / %2").arg(job_->FramesWritten()).arg(job_->FramesTotal()));
        return;
    }
    statusLabel_->clear();
    FinishJob();
}

void ClipmuxDialog::FinishJob() {
    QStringList lines;
    try {
        job_->Wait();
    } catch (const std::exception& error) {
        lines << QString::fromUtf8(error.what());
    }
    const MovieResult& result = job_->Result();
    for (const std::string& failure : result.failures) lines << QString::fromStdString(failure);
    for (const std::string& note : result.notes) lines << QString::fromStdString(note);
    const bool failed =
        !result.failures.empty() || lines.size() > static_cast<qsizetype>(result.notes.size());
    job_.reset();
    startButton_->setEnabled(true);
    lastReport_ = lines.join('\n');
    // Only a failure interrupts the user; notes alone are kept for the record.
    if (failed) ShowReport(lastReport_);
}

void ClipmuxDialog::StopJob() {
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

}  // namespace clipmux
