#pragma once
// The story's interpreter: runs the loaded scenario script while the game
// state is 99, record by record until one ends the tick, in one of three
// dialects, and owns the scene effects the records start (transitions, the
// shake, scrolls and pans, the eye-catch, particles, the place-name caption,
// the shading of listed backgrounds), the message window and the choices.
//
// Game thread only.

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/persist/slot_record.h"
#include "engine/script/choice_plates.h"
#include "engine/script/data_set_tables.h"
#include "engine/script/message_window.h"
#include "engine/script/read_flags.h"
#include "engine/script/script_state.h"

namespace script {

// Slots the story uses.
inline constexpr int kCaptureSlot = 0;
inline constexpr int kCharacterSlot = 26;
inline constexpr int kSecondCharacterSlot = 27;
inline constexpr int kBackgroundSlot = 28;
inline constexpr int kScrollSlot = 29;
inline constexpr int kCaptionSprite = 257;
inline constexpr int kCaptionImage = 65;
inline constexpr int kParticleSpriteBase = 128;
// Quick save and quick load use "save001.dat".
inline constexpr int kQuickSlot = 0;
// A tick runs records until one ends it. Stored scripts always reach such a
// record quickly; a damaged one that loops through jumps alone is cut off
// here so the game stays responsive.
inline constexpr int kMaxRecordsPerTick = 100000;

// How long the picture changes fade.
inline constexpr uint32_t kCharacterFadeMs = 500;
inline constexpr uint32_t kBackgroundFadeMs = 750;

// Whether the message window stays up while a transition fades.
enum class WindowInTransition { kKept, kHidden };
// Whether a voice is kept for the backlog's replay.
enum class VoiceReplay { kNone, kFromBacklog };

class Interpreter : public core::StateHandler {
public:
    Interpreter(const core::EngineServices& engine, DataSetTables tables);
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // One tick of the story (game state 99).
    void RunScript();
    void RunState() override { RunScript(); }

    // Loads "path" (e.g. "GameData\\sinario\\x.MES") from the current
    // dialect's scenario archive and resets the script's position, labels
    // and per-scenario state. False leaves no script.
    // False when it cannot be read: the reason goes to *why when given,
    // else to the console.
    bool LoadScenarioFile(std::string_view path, std::string* why = nullptr);
    // The second half of a load: takes the script's bytes as they are.
    void UseScript(formats::ByteVector bytes);
    // A new game in a dialect (0..2): state 99, cleared variables and flags,
    // the message window built for that dialect. The caller then loads the
    // first scenario.
    void NewGame(int gameDialect);
    // Abandons the running game and goes back to the title (state 0).
    void ReturnToTitle();
    // Starts a story directly in a dialect with the scenario
    // "GameData\\sinario\\" + name + ".MES", as the title screen would.
    // False (with a message on stderr) when it cannot be loaded.
    bool StartScenario(int dialect, std::string_view name, std::string* why = nullptr);

    void BuildMessageWindow();
    void RemoveMessageWindow();
    MessageWindow* Window() { return window_.get(); }

    // Scene effects: called on every run of the record that uses them; first
    // is true on the effect's first run. True when done.
    bool Transition(uint32_t durationMs, WindowInTransition windowMode, bool first);
    bool Quake(int axis, bool first);
    bool VerticalScroll(int direction, bool first);
    bool HorizontalPan(bool first);
    bool Eyecatch(bool first);
    bool EyecatchAlt(bool first);
    void ShowPlaceName(std::string_view backgroundPath);
    void StepCaption();
    void RemoveCaption();
    void StartParticles(int32_t maximum, int32_t direction, int32_t speed, int32_t interval);
    void StepParticles();
    void StopParticles();
    // evenNormal: mode 0 sets the normal brightness too (a background
    // loaded in mode 0 already has it).
    void ShadeBackground(bool evenNormal = false);
    // The menu changed a setting that the running scene shows at once: the
    // particles start or stop (the scene still asks for them), a shown
    // place name goes when names are turned off, and the listed background
    // takes the brightness of the new manner mode.
    void ApplyParticleSetting();
    void ApplyPlaceNameSetting();
    void ApplyMannerMode();

    // Saves. The story's capture points refresh the snapshot; a slot save
    // writes the snapshot of the last capture point, not of the moment of
    // saving, so that a load restarts at a record that can run again.
    void TakeSaveSnapshot();
    const persist::SlotRecord& Snapshot() const { return snapshot_; }
    // The system flags ("save000.dat"), then the seen data.
    void WriteSystemFile();
    void ReadSystemFile();
    // The seen names ("rysys.dat") and, once a message was read, the read
    // flags ("mes.dat"). Reading keeps what a missing or refused file would
    // have replaced.
    void WriteSeenData();
    void ReadSeenData();
    // Whether an image file (the file part of its name) or a scenario file
    // was ever shown or started, in this run or an earlier one.
    bool ImageSeen(std::string_view file) const;
    bool ScenarioSeen(std::string_view file) const;
    // Slot index 0..14 ("save001.dat".."save015.dat"). False when the file
    // cannot be written.
    bool SaveSlot(int index, int32_t kind);
    // False (with a message on stderr) when the slot is missing, damaged or
    // names a scenario that cannot be read; the running game is then left
    // as it was.
    bool LoadSlot(int index);

    ScriptState state;
    ScriptVariables vars;
    ReadFlags readFlags;
    DataSetTables tables;

private:
    enum class Step { kContinue, kEndTick };

    bool SlidePictures(bool first, uint32_t durationMs, int32_t endX, int32_t endY);

    Step Execute(formats::MesOp op);
    // Records that run effects or wait for the reader.
    Step RunText();
    Step RunPageWait(int record);
    Step RunChoiceSelect();
    Step RunCharacterFade();
    Step RunHideCharacter();
    Step RunCharacterPairFade();
    Step RunBackgroundFade();
    Step RunEndScenario();
    Step RunEndScenarioMain();
    Step RunLoadScenario();
    void PlayMusic(int32_t id, int32_t loop);
    void PlayEffect(int32_t id, int32_t repeat);
    void PlayVoice(std::string_view name, int slot, VoiceReplay replay);
    void RouteDecision();

    // Position changes: the next record, or a label (a missing key keeps the
    // position and ends the tick).
    Step Advance();
    Step AdvanceAndEnd();
    Step JumpTo(int32_t key);
    // The record after the current one, and its operation.
    size_t NextPosition() const { return nextPc_; }
    formats::MesOp NextOperation() const;

    // Dialect 0 shifts the variables and flag rows by 2 and the global bits
    // by 1024; the others use them as written.
    // (Widened, so that any operand a damaged script holds stays defined.)
    int64_t VariableIndex(int64_t index) const { return dialect_ == 0 ? index + 2 : index; }
    int64_t FlagRow(int64_t row) const { return dialect_ == 0 ? row + 2 : row; }
    int64_t GlobalBitIndex(int64_t bit) const { return dialect_ == 0 ? bit + 1024 : bit; }

    // Pictures of the story: characters and backgrounds by name.
    std::string CharacterPath(std::string_view name) const;
    bool ShowCharacter(int slot, const std::string& path, bool withMask);
    bool ShowBackground(const std::string& path);
    void RemovePicture(int slot);
    int ImageLocation() const { return dialect_; }

    int32_t Operand(size_t offset) const;
    std::string NameOperand(size_t offset) const;
    std::string TextOperand() const;
    bool Confirmed() const;
    uint32_t Now() const;
    uint32_t Random() { return random_(); }

    std::string SaveFolder() const;
    void RestorePictures(const persist::SlotRecord& record);

    core::EngineServices engine_;
    persist::SlotRecord snapshot_;
    // Images seen in earlier runs, as the seen-name file lists them.
    std::vector<std::string> seenImagesBefore_;
    // The record being run, zero-terminated.
    std::vector<uint8_t> line_ = std::vector<uint8_t>(formats::kMesLineBufferSize);
    int dialect_ = 0;
    std::unique_ptr<MessageWindow> window_;
    ChoicePlates plates_;
    size_t lineLength_ = 0;
    size_t nextPc_ = 0;
    bool moved_ = false;
    bool reportedLongRecord_ = false;
    std::minstd_rand random_{20261208u};
};

}  // namespace script
