// The movie converter's dialog under Qt's offscreen platform: its controls
// and defaults, the path box, and a whole run with the progress line.

#include "clipmux/ui/clipmux_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "../clipmux/movie_fixtures.h"
#include "test_support.h"

namespace clipmux {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;

class TestDialog : public ClipmuxDialog {
public:
    using ClipmuxDialog::ClipmuxDialog;

    QString browseAnswer;
    QStringList reports;

    template <typename T>
    T* Get(const char* name) {
        T* child = findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

protected:
    QString ChooseFile() override { return browseAnswer; }
    void ShowReport(const QString& text) override { reports << text; }
};

class ClipmuxDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1);
        static int argc = 1;
        static char name[] = "clipmux_ui_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }
};

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

TEST_F(ClipmuxDialogTest, ControlsListsAndDefaults) {
    TestDialog dialog("/tmp");
    EXPECT_EQ(dialog.windowTitle(), "clipmux ver1.70");
    EXPECT_EQ(dialog.Get<QPushButton>("browseButton")->text(), QString::fromUtf8("参照(&F)"));
    EXPECT_EQ(dialog.Get<QPushButton>("startButton")->text(), QString::fromUtf8("開始(&S)"));
    QComboBox* rate = dialog.Get<QComboBox>("frameRate");
    EXPECT_EQ(Items(rate), QStringList({QString::fromUtf8("基準値(MAX15fps)"), "30fps", "15fps",
                                        "10fps", "5fps"}));
    EXPECT_EQ(rate->currentIndex(), 0);
    EXPECT_EQ(Items(dialog.Get<QComboBox>("pictureSize")), QStringList({"320 * 240", "160 * 120"}));
    QComboBox* quality = dialog.Get<QComboBox>("quality");
    EXPECT_EQ(quality->count(), 11);
    EXPECT_EQ(quality->itemText(0), "100%");
    EXPECT_EQ(quality->itemText(10), "5%");
    EXPECT_EQ(quality->currentText(), "60%");
    QComboBox* bitrate = dialog.Get<QComboBox>("bitrate");
    EXPECT_EQ(bitrate->count(), 17);
    EXPECT_EQ(bitrate->itemText(0), "8bit");
    EXPECT_EQ(bitrate->itemText(16), "320bit");
    EXPECT_EQ(bitrate->currentText(), "64bit");
    QComboBox* frequency = dialog.Get<QComboBox>("frequency");
    EXPECT_EQ(Items(frequency), QStringList({"16.00kHz", "22.05kHz", "24.00kHz", "32.00kHz",
                                             "44.10kHz", "48.00kHz"}));
    EXPECT_EQ(frequency->currentIndex(), 1);
    EXPECT_EQ(dialog.Get<QGroupBox>("soundGroup")->title(), "WAV TO MP3");
    QCheckBox* jpeg = dialog.Get<QCheckBox>("jpegFrames");
    EXPECT_EQ(jpeg->text(), QString::fromUtf8("圧縮指定"));
    EXPECT_TRUE(jpeg->isChecked());
    EXPECT_FALSE(jpeg->isEnabled());
    QCheckBox* stereo = dialog.Get<QCheckBox>("stereo");
    EXPECT_EQ(stereo->text(), QString::fromUtf8("ｽﾃﾚｵ"));
    EXPECT_TRUE(stereo->isChecked());
    QCheckBox* graph = dialog.Get<QCheckBox>("forceGraph");
    EXPECT_EQ(graph->text(), QString::fromUtf8("強制DShow"));
    EXPECT_FALSE(graph->isChecked());
    QCheckBox* freeRun = dialog.Get<QCheckBox>("freeRunning");
    EXPECT_EQ(freeRun->text(), QString::fromUtf8("内部非同期"));
    EXPECT_FALSE(freeRun->isChecked());

    // Each control stores its setting.
    rate->setCurrentIndex(3);
    quality->setCurrentIndex(9);
    bitrate->setCurrentIndex(11);
    stereo->click();
    graph->click();
    freeRun->click();
    freeRun->click();
    EXPECT_EQ(dialog.Settings().frameRateChoice, 3);
    EXPECT_EQ(dialog.Settings().qualityIndex, 9);
    EXPECT_EQ(dialog.Settings().bitrateIndex, 11);
    EXPECT_EQ(dialog.Settings().stereo, 0);
    EXPECT_EQ(dialog.Settings().forceGraph, 1);
    EXPECT_EQ(dialog.Settings().freeRunning, 0);
    EXPECT_EQ(dialog.Settings().jpegFrames, 1);
}

TEST_F(ClipmuxDialogTest, BrowsingAndDroppingChooseTheInputAndItsKind) {
    TestDialog dialog("/tmp");
    // Start without a path does nothing.
    dialog.Start();
    EXPECT_FALSE(dialog.JobRunning());
    dialog.browseAnswer = "/movies/OPENING.MJ";
    dialog.Get<QPushButton>("browseButton")->click();
    EXPECT_EQ(dialog.Get<CWinEdit>("pathBox")->text(), "/movies/OPENING.MJ");
    EXPECT_EQ(dialog.Settings().inputKind, InputKind::kMj);

    CWinEdit* box = dialog.Get<CWinEdit>("pathBox");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/movies/intro.avi"), QUrl::fromLocalFile("/other.mj")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
    EXPECT_TRUE(box->WasDropped());
    EXPECT_EQ(box->text(), "/movies/intro.avi");
    EXPECT_EQ(dialog.Settings().inputPath, fs::path("/movies/intro.avi"));
    EXPECT_EQ(dialog.Settings().inputKind, InputKind::kAvi);
}

TEST_F(ClipmuxDialogTest, ARunShowsItsProgressAndEndsIdle) {
    TempDir dir;
    clipmux_test::MjShape shape;
    // Long enough (about half a second) for the 100 ms progress timer to
    // show it several times, however fast the machine.
    shape.frames = 400;
    shape.width = 640;
    shape.height = 480;
    testing_support::WriteHostFile(dir / "run.mj", clipmux_test::MakeMjFile(shape));
    TestDialog dialog(dir.path());
    dialog.browseAnswer = QString::fromStdString((dir / "run.mj").string());
    dialog.Get<QPushButton>("browseButton")->click();
    QPushButton* start = dialog.Get<QPushButton>("startButton");
    start->click();
    EXPECT_TRUE(dialog.JobRunning());
    EXPECT_FALSE(start->isEnabled());
    QLabel* status = dialog.Get<QLabel>("status");
    QStringList seen;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (dialog.JobRunning() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (!status->text().isEmpty()) seen << status->text();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_FALSE(dialog.JobRunning());
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(status->text().isEmpty());
    EXPECT_TRUE(dialog.reports.isEmpty()) << dialog.reports.join("\n").toStdString();
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_TRUE(seen.last().startsWith(QString::fromUtf8("変換データ数：")))
        << seen.last().toStdString();
    EXPECT_TRUE(seen.last().endsWith(" / 400")) << seen.last().toStdString();
    EXPECT_EQ(clipmux_test::ReadMovie(dir / "run.mov").frames.size(), 400u);

    // A damaged file ends with a report.
    testing_support::WriteHostFile(dir / "bad.mj", std::string(80, 'x'));
    dialog.SetInputPath(QString::fromStdString((dir / "bad.mj").string()));
    dialog.Start();
    while (dialog.JobRunning() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ASSERT_EQ(dialog.reports.size(), 1);
    EXPECT_TRUE(dialog.reports[0].contains("nothing written")) << dialog.reports[0].toStdString();
}

}  // namespace
}  // namespace clipmux
