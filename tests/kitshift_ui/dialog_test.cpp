// The converter's dialog under Qt's offscreen platform: its controls, the
// path box's drop, the checks before a start, and a whole run on a small
// generated title tree.

#include "kitshift/ui/kitshift_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "kitshift/title_checks.h"
#include "sample/pc_title/crx_writer.h"
#include "sample/pc_title/pcm_writer.h"
#include "test_support.h"

namespace kitshift {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::WriteHostFile;

// Messages are recorded and the browser answers with a set folder, so that no
// modal window ever opens.
class TestDialog : public KitshiftDialog {
public:
    using KitshiftDialog::KitshiftDialog;

    struct Message {
        MessageKind kind;
        QString caption;
        QString text;
    };
    std::vector<Message> messages;
    QString browseAnswer;

    template <typename T>
    T* Get(const char* name) {
        T* child = findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

protected:
    void ShowMessage(MessageKind kind, const QString& caption, const QString& text) override {
        messages.push_back({kind, caption, text});
    }
    QString ChooseFolder() override { return browseAnswer; }
};

class KitshiftDialogTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        setenv("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR, 1);
        static int argc = 1;
        static char name[] = "kitshift_ui_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);
    }
};

QStringList Items(QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A drop reaches the widget that accepted the drag's entry, as with a real drag.
void DropUrl(CWinEdit* box, const QUrl& url) {
    QMimeData data;
    data.setUrls({url});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box, &drop);
}

// An install folder of the last title: its executable, pictures of the
// title's full size, one music file and a voice archive of two records;
// enough work that the job runs for several ticks of the progress timer.
void WriteTitleTree(const fs::path& root, bool brokenPicture = false) {
    WriteHostFile(root / "QV_DVD.exe", std::string());
    for (int i = 0; i < 6; ++i) {
        pc_title::CrxSource picture;
        picture.width = 800;
        picture.height = 600;
        for (int p = 0; p < 800 * 600 * 3; ++p) picture.pixels.push_back(uint8_t(p * 7 + i));
        formats::ByteVector crx;
        std::string error;
        ASSERT_TRUE(pc_title::WriteCrx(picture, {}, &crx, &error)) << error;
        if (brokenPicture && i == 1) crx.resize(crx.size() / 2);
        WriteHostFile(root / "GameData/system" / ("pic" + std::to_string(i) + ".crx"), crx);
    }
    std::vector<int16_t> samples(22050 * 2 * 60);  // a minute of stereo
    for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = int16_t(8000 * std::sin(double(i / 2) * 440.0 * 6.2832 / 22050.0));
    }
    WriteHostFile(root / "GameData/bgm/m01.pcm",
                  pc_title::WritePcmSound(pc_title::PcmCoding::kRaw, 2, 22050, samples));
    std::span<const int16_t> mono(samples.data(), 22050);
    formats::ByteVector voice = pc_title::WritePcmSound(pc_title::PcmCoding::kRaw, 1, 22050, mono);
    WriteHostFile(root / "voice.dat",
                  pc_title::WriteVoiceDat({{"v01.pcm", voice}, {"v02.pcm", voice}}));
}

// Runs the event loop until the job is gone; returns whether the progress
// text was seen on the way.
bool RunUntilFinished(TestDialog& dialog) {
    bool progressSeen = false;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    auto* status = dialog.Get<QLabel>("status");
    while (dialog.JobRunning() && std::chrono::steady_clock::now() < deadline) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (status->text().contains(Utf8("変換データ数："))) progressSeen = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(dialog.JobRunning()) << "the job did not finish in time";
    return progressSeen;
}

TEST_F(KitshiftDialogTest, ControlsStartWithTheirDefaults) {
    TestDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), "kitshift Ver1.50");
    EXPECT_EQ(dialog.OutputFolder(), fs::current_path());
    EXPECT_TRUE(dialog.Get<CWinEdit>("pathBox")->text().isEmpty());
    EXPECT_EQ(dialog.Get<QPushButton>("browseButton")->text(), Utf8("参照(&F)"));
    EXPECT_EQ(dialog.Get<QPushButton>("startButton")->text(), Utf8("開始(&S)"));
    EXPECT_EQ(dialog.Get<QGroupBox>("musicGroup")->title(), Utf8("ＢＧＭ設定"));
    EXPECT_EQ(dialog.Get<QGroupBox>("voiceGroup")->title(), Utf8("音声設定"));
    EXPECT_TRUE(dialog.Get<QLabel>("status")->text().isEmpty());

    QStringList bitrates = {"8bit",   "16bit",  "24bit",  "32bit",  "40bit",  "48bit",
                            "56bit",  "64bit",  "80bit",  "96bit",  "112bit", "128bit",
                            "160bit", "192bit", "224bit", "256bit", "320bit"};
    QStringList rates = {"16.00kHz", "22.05kHz", "24.00kHz", "32.00kHz", "44.10kHz", "48.00kHz"};
    struct Expected {
        const char* name;
        QStringList items;
        int index;
    };
    for (const Expected& combo :
         {Expected{"musicBitrate", bitrates, 7}, Expected{"musicFrequency", rates, 1},
          Expected{"voiceBitrate", bitrates, 3}, Expected{"voiceFrequency", rates, 1},
          Expected{"outputFormat", {"MP3", "MOGG"}, 0},
          Expected{"title", {"Voskerinta", "Tamro", "belomantes", "Quevara"}, 0}}) {
        auto* box = dialog.Get<QComboBox>(combo.name);
        EXPECT_EQ(Items(box), combo.items) << combo.name;
        EXPECT_EQ(box->currentIndex(), combo.index) << combo.name;
    }
    EXPECT_FALSE(dialog.Get<QComboBox>("outputFormat")->isEnabled());
    EXPECT_TRUE(dialog.Get<QComboBox>("title")->isEnabled());
    auto* stereo = dialog.Get<QCheckBox>("musicStereo");
    EXPECT_EQ(stereo->text(), Utf8("ｽﾃﾚｵ"));
    EXPECT_TRUE(stereo->isChecked());
}

TEST_F(KitshiftDialogTest, ControlsWriteTheSettings) {
    TestDialog dialog;
    dialog.Get<QComboBox>("musicBitrate")->setCurrentIndex(16);
    dialog.Get<QComboBox>("musicFrequency")->setCurrentIndex(5);
    dialog.Get<QComboBox>("voiceBitrate")->setCurrentIndex(0);
    dialog.Get<QComboBox>("voiceFrequency")->setCurrentIndex(4);
    dialog.Get<QComboBox>("title")->setCurrentIndex(3);
    const ConversionSettings& settings = dialog.Settings();
    EXPECT_EQ(settings.musicBitrateIndex, 16);
    EXPECT_EQ(settings.musicFrequencyIndex, 5);
    EXPECT_EQ(settings.voiceBitrateIndex, 0);
    EXPECT_EQ(settings.voiceFrequencyIndex, 4);
    EXPECT_EQ(settings.titleIndex, 3);
    auto* stereo = dialog.Get<QCheckBox>("musicStereo");
    stereo->click();
    EXPECT_EQ(settings.musicStereo, 0);
    stereo->click();
    EXPECT_EQ(settings.musicStereo, 1);
}

TEST_F(KitshiftDialogTest, DroppedFolderBecomesThePathLikeABrowsedOne) {
    TempDir folder;
    QString path = QString::fromStdString(folder.path().string());
    TestDialog dropped;
    auto* box = dropped.Get<CWinEdit>("pathBox");
    EXPECT_FALSE(box->WasDropped());
    DropUrl(box, QUrl::fromLocalFile(path));
    EXPECT_TRUE(box->WasDropped());
    EXPECT_EQ(box->text(), path);

    TestDialog browsed;
    browsed.browseAnswer = path;
    browsed.Get<QPushButton>("browseButton")->click();
    EXPECT_EQ(browsed.Get<CWinEdit>("pathBox")->text(), box->text());
    browsed.browseAnswer.clear();  // a cancelled browser keeps the path
    browsed.Get<QPushButton>("browseButton")->click();
    EXPECT_EQ(browsed.Get<CWinEdit>("pathBox")->text(), path);
}

// 2 + 100 * 3 bytes: the cut at 256 bytes would split a character, so the
// path ends with the last whole one.
TEST_F(KitshiftDialogTest, DroppedPathIsCutToWholeCharactersWithin256Bytes) {
    TestDialog dialog;
    auto* box = dialog.Get<CWinEdit>("pathBox");
    DropUrl(box, QUrl::fromLocalFile("/a" + Utf8("あ").repeated(100)));
    EXPECT_EQ(box->text(), "/a" + Utf8("あ").repeated(84));
}

TEST_F(KitshiftDialogTest, StartChecksTheFolderFirst) {
    ASSERT_TRUE(EncoderModuleAvailable()) << "gogo.so not found in " MIRELO_MODULE_DIR;
    TempDir output;
    TestDialog dialog(output.path());
    dialog.Start();  // no folder: nothing at all
    EXPECT_FALSE(dialog.JobRunning());
    EXPECT_TRUE(dialog.messages.empty());

    TempDir source;
    WriteHostFile(source / "readme.txt", std::string("not a title"));
    dialog.SetSourceFolder(QString::fromStdString(source.path().string()));
    dialog.Get<QPushButton>("startButton")->click();
    EXPECT_FALSE(dialog.JobRunning());
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_EQ(dialog.messages[0].kind, KitshiftDialog::MessageKind::kWarning);
    EXPECT_EQ(dialog.messages[0].caption, Utf8(kFolderWrongCaption));
    EXPECT_EQ(dialog.messages[0].text, Utf8(kFolderWrongText));
    EXPECT_TRUE(dialog.Get<QPushButton>("startButton")->isEnabled());
    EXPECT_TRUE(fs::is_empty(output.path()));
}

TEST_F(KitshiftDialogTest, StartRunsTheJobAndShowsItsProgress) {
    TempDir source;
    TempDir output;
    WriteTitleTree(source.path());
    TestDialog dialog(output.path());
    dialog.SetSourceFolder(QString::fromStdString(source.path().string()));
    auto* start = dialog.Get<QPushButton>("startButton");
    start->click();
    ASSERT_TRUE(dialog.JobRunning());
    EXPECT_FALSE(start->isEnabled());
    dialog.Start();  // a second start while running changes nothing
    EXPECT_TRUE(dialog.messages.empty());

    EXPECT_TRUE(RunUntilFinished(dialog));
    EXPECT_TRUE(dialog.Get<QLabel>("status")->text().isEmpty());
    EXPECT_TRUE(start->isEnabled());
    for (const auto& message : dialog.messages) ADD_FAILURE() << message.text.toStdString();
    EXPECT_TRUE(fs::exists(output / "grpack.mlz"));
    EXPECT_TRUE(fs::exists(output / "m01.mp3"));
    EXPECT_TRUE(fs::exists(output / "voice.mlz"));
}

// What the job could not convert is listed once it is done.
TEST_F(KitshiftDialogTest, FinishedJobWithProblemsListsThem) {
    TempDir source;
    TempDir output;
    WriteTitleTree(source.path(), /*brokenPicture=*/true);
    TestDialog dialog(output.path());
    dialog.SetSourceFolder(QString::fromStdString(source.path().string()));
    dialog.Start();
    RunUntilFinished(dialog);
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_EQ(dialog.messages[0].kind, KitshiftDialog::MessageKind::kInformation);
    EXPECT_TRUE(dialog.messages[0].text.contains("pic1.crx"))
        << dialog.messages[0].text.toStdString();
    EXPECT_FALSE(dialog.messages[0].text.contains("pic0.crx"));
    // The list comes with what was written, and the result line counts it.
    EXPECT_TRUE(dialog.messages[0].text.contains(Utf8("grpack.mlz: 6 件")));
    EXPECT_TRUE(
        dialog.Get<QLabel>("result")->text().contains(Utf8("変換できなかったファイル: 1 件")));
}

// The output box says where the results go and is where they go; the bar
// follows the job; when it ends, what was written stays on show.
TEST_F(KitshiftDialogTest, OutputBoxProgressBarAndResult) {
    TempDir source;
    TempDir output;
    WriteTitleTree(source.path());
    TestDialog dialog(output.path());
    auto* box = dialog.Get<CWinEdit>("outputBox");
    EXPECT_EQ(box->text(), QString::fromStdString(output.path().string()));
    EXPECT_EQ(TestDialog().Get<CWinEdit>("outputBox")->text(),
              QString::fromStdString(fs::current_path().string()));
    const fs::path chosen = output / "chosen" / "1";
    box->setText(QString::fromStdString(chosen.string()));
    dialog.SetSourceFolder(QString::fromStdString(source.path().string()));
    dialog.Start();
    ASSERT_TRUE(dialog.JobRunning());
    auto* bar = dialog.Get<QProgressBar>("progressBar");
    bool partWay = false;
    while (dialog.JobRunning()) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (bar->value() > 0 && bar->value() < bar->maximum()) partWay = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(partWay);
    // 6 pictures and the chip, one music file, two voices.
    EXPECT_EQ(bar->maximum(), 10);
    EXPECT_EQ(bar->value(), 10);
    EXPECT_TRUE(fs::exists(chosen / "grpack.mlz"));
    EXPECT_TRUE(fs::exists(chosen / "voice.mlz"));
    EXPECT_FALSE(fs::exists(output / "grpack.mlz"));
    QString result = dialog.Get<QLabel>("result")->text();
    for (const QString& part : {QString::fromStdString(chosen.string()), Utf8("grpack.mlz: 7 件"),
                                Utf8("MP3: 1 件"), Utf8("voice.mlz: 2 件")}) {
        EXPECT_TRUE(result.contains(part)) << result.toStdString() << " / " << part.toStdString();
    }
    EXPECT_TRUE(dialog.messages.empty());

    // An output folder that cannot be made stops the start with its reason.
    WriteHostFile(output / "plain", std::string("x"));
    box->setText(QString::fromStdString((output / "plain" / "sub").string()));
    dialog.Start();
    EXPECT_FALSE(dialog.JobRunning());
    ASSERT_EQ(dialog.messages.size(), 1u);
    EXPECT_EQ(dialog.messages[0].kind, KitshiftDialog::MessageKind::kWarning);
    EXPECT_TRUE(dialog.messages[0].text.contains("plain/sub: cannot create the folder: "))
        << dialog.messages[0].text.toStdString();
}

TEST_F(KitshiftDialogTest, ClosingStopsARunningJob) {
    TempDir source;
    TempDir output;
    WriteTitleTree(source.path());
    TestDialog dialog(output.path());
    dialog.show();
    dialog.SetSourceFolder(QString::fromStdString(source.path().string()));
    dialog.Start();
    ASSERT_TRUE(dialog.JobRunning());
    dialog.close();
    EXPECT_FALSE(dialog.JobRunning());
    // Stopped between files, long before the voices: waiting alone would have
    // let the run finish.
    EXPECT_FALSE(fs::exists(output / "voice.mlz"));
    EXPECT_TRUE(dialog.Get<QPushButton>("startButton")->isEnabled());
}

}  // namespace
}  // namespace kitshift
