#pragma once
// The movie converter's dialog: the input path (typed, browsed or dropped),
// the picture settings, the "WAV TO MP3" group, the decoding graph's two
// switches and a start button that runs one MovieJob at a time while a
// 100 ms timer shows its progress.

#include <QDialog>
#include <QString>

#include <filesystem>
#include <memory>

#include "clipmux/movie_job.h"
#include "common/ui/drop_path_edit.h"

class QLabel;
class QPushButton;
class QTimer;

namespace clipmux {

inline constexpr char kDialogCaption[] = "clipmux ver1.70";

// Creates the application, shows the dialog and runs until it is closed.
int RunClipmuxDialog(int argc, char** argv);

// The path box, shared with the other converter.
using common::CWinEdit;

class ClipmuxDialog : public QDialog {
    Q_OBJECT

public:
    // The output folder is the current directory when the dialog is made,
    // unless one is given.
    explicit ClipmuxDialog(std::filesystem::path outputFolder = {}, QWidget* parent = nullptr);
    ~ClipmuxDialog() override;

    const MovieSettings& Settings() const { return settings_; }
    bool JobRunning() const { return job_ != nullptr; }
    // What the last finished job reported (failures and notes), for tests.
    const QString& LastReport() const { return lastReport_; }

    // What the browse button and a drop do with the chosen file.
    void SetInputPath(const QString& path);
    // The start button: with a path, starts the job.
    void Start();

    // Closing stops a running job and waits for it.
    void done(int result) override;

protected:
    // The file dialog and the closing report go through these, so that tests
    // can pick files and read reports without a modal window.
    virtual QString ChooseFile();
    virtual void ShowReport(const QString& text);

private:
    void Browse();
    void Tick();
    void FinishJob();
    void StopJob();

    MovieSettings settings_;
    std::filesystem::path outputFolder_;
    std::unique_ptr<MovieJob> job_;
    QString lastReport_;

    CWinEdit* pathBox_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

}  // namespace clipmux
