#pragma once
// The data converter's dialog: the source folder (typed, browsed or dropped),
// the output folder, the sound settings, the title, and a start button that
// runs one ConversionJob at a time while a 100 ms timer shows its progress
// as text and as a bar; when the job ends, what it wrote stays on show.

#include <QDialog>
#include <QString>

#include <filesystem>
#include <memory>

#include "common/ui/drop_path_edit.h"
#include "kitshift/conversion_job.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kitshift {

// Creates the application, shows the dialog and runs until it is closed.
int RunKitshiftDialog(int argc, char** argv);

// The path box, shared with the other converter.
using common::CWinEdit;

class KitshiftDialog : public QDialog {
    Q_OBJECT

public:
    enum class MessageKind { kWarning, kInformation };

    // The output box starts with the current directory at the time the
    // dialog is made, unless a folder is given.
    explicit KitshiftDialog(std::filesystem::path outputFolder = {}, QWidget* parent = nullptr);
    ~KitshiftDialog() override;

    const ConversionSettings& Settings() const { return settings_; }
    const std::filesystem::path& OutputFolder() const { return outputFolder_; }
    bool JobRunning() const { return job_ != nullptr; }

    // What the browse button and a drop do with the chosen path.
    void SetSourceFolder(const QString& path);
    // The start button: checks the module, the source folder and the output
    // folder (made when missing, and writable), then starts the job.
    void Start();

    // Closing (window button, Escape) stops a running job and waits for it.
    void done(int result) override;

protected:
    // Message boxes and the folder browser go through these, so that tests
    // can record messages and pick folders without a modal window.
    virtual void ShowMessage(MessageKind kind, const QString& caption, const QString& text);
    virtual QString ChooseFolder();

private:
    void Browse();
    void Tick();
    void FinishJob();
    void StopJob();

    ConversionSettings settings_;
    std::filesystem::path outputFolder_;
    std::unique_ptr<ConversionJob> job_;

    CWinEdit* pathBox_ = nullptr;
    CWinEdit* outputBox_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* resultLabel_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

}  // namespace kitshift
