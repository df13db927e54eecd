#include "engine/script/interpreter.h"

#include <cstdio>
#include <cstring>

#include "engine/persist/seen_data.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "formats/archive_reader.h"
#include "formats/sjis.h"
#include "platform/device_path.h"
#include "platform/text_encoding.h"

namespace script {

using formats::MesOp;

Interpreter::Interpreter(const core::EngineServices& engine, DataSetTables tables)
    : tables(std::move(tables)), engine_(engine), plates_(engine) {}

Interpreter::~Interpreter() {
    StopParticles();
    RemoveCaption();
    window_.reset();
}

uint32_t Interpreter::Now() const {
    return engine_.timers.Now();
}

bool Interpreter::Confirmed() const {
    return ConfirmLatched(engine_);
}

int32_t Interpreter::Operand(size_t offset) const {
    return formats::MesOperand(formats::ByteSpan(line_.data(), lineLength_), offset);
}

std::string Interpreter::NameOperand(size_t offset) const {
    if (offset >= lineLength_) return {};
    const char* start = reinterpret_cast<const char*>(line_.data()) + offset;
    return std::string(start, strnlen(start, lineLength_ - offset));
}

std::string Interpreter::TextOperand() const {
    if (lineLength_ <= 1) return {};
    return formats::DecodeMesText(formats::ByteSpan(line_.data() + 1, lineLength_ - 1));
}

formats::MesOp Interpreter::NextOperation() const {
    if (nextPc_ >= state.script.size()) return MesOp::kHalt;
    return formats::DecodeMesOpcode(dialect_, state.script[nextPc_]);
}

Interpreter::Step Interpreter::Advance() {
    state.pc = nextPc_;
    moved_ = true;
    return Step::kContinue;
}

Interpreter::Step Interpreter::AdvanceAndEnd() {
    Advance();
    return Step::kEndTick;
}

Interpreter::Step Interpreter::JumpTo(int32_t key) {
    int64_t offset = formats::FindMesLabel(state.labels, key);
    if (offset < 0) {
        // A key the script does not define: stay on this record.
        return Step::kEndTick;
    }
    state.pc = static_cast<size_t>(offset);
    moved_ = true;
    return Step::kContinue;
}

void Interpreter::RunScript() {
    dialect_ = engine_.flow.scriptDialect;
    if (!state.loaded) {
        // Nothing to run: a scenario that could not be loaded ends the game.
        ReturnToTitle();
        return;
    }
    for (int records = 0; records < kMaxRecordsPerTick; ++records) {
        formats::MesRecord record;
        if (!formats::NextMesRecord(state.script, state.pc, &record)) break;  // past the end
        if (record.length >= formats::kMesLineBufferSize) {
            if (!reportedLongRecord_) {
                std::fprintf(stderr,
                             "mirelo: %s: record at byte %zu is %zu bytes, longer than the line "
                             "buffer; the script stops there\n",
                             platform::SjisForDisplay(state.scenarioPath).c_str(), record.offset,
                             record.length);
                reportedLongRecord_ = true;
            }
            break;
        }
        std::memcpy(line_.data(), state.script.data() + record.offset, record.length);
        line_[record.length] = 0;
        lineLength_ = record.length;
        nextPc_ = record.next;
        moved_ = false;
        MesOp op = formats::DecodeMesOpcode(dialect_, line_[0]);
        Step step = Execute(op);
        if (!state.loaded) return;  // the record ended the game or its script
        if (moved_) {
            state.recordTicks = 0;
        } else {
            ++state.recordTicks;
        }
        if (step == Step::kEndTick) break;
    }
    if (dialect_ <= 1 && state.particles.active && engine_.settings.tilvaMode) StepParticles();
    if (dialect_ == 0) StepCaption();
}

bool Interpreter::LoadScenarioFile(std::string_view path, std::string* why) {
    dialect_ = engine_.flow.scriptDialect;
    size_t slash = formats::SjisFindLastBackslash(path);
    std::string file(slash == formats::kSjisNotFound ? path : path.substr(slash + 1));
    persist::AddSeenName(state.seenScenarios, file);

    if (engine_.sound.Mixer()) engine_.sound.Mixer()->HaltEffect(kEffectChannel);
    RemoveCaption();
    StopParticles();

    state.scenarioPath = std::string(path);
    state.script.clear();
    state.loaded = false;
    const std::string& archive = engine_.data.DataFolders()[core::kLocationScenario0 + dialect_];
    formats::ByteVector bytes;
    if (!engine_.data.Archives().ReadEntry(archive, path, &bytes)) {
        const std::string reason = platform::DeviceToHostPath(archive) + ": " +
                                   platform::SjisForDisplay(path) + ": " +
                                   engine_.data.Archives().LastError();
        if (why != nullptr) {
            *why = reason;
        } else {
            std::fprintf(stderr, "mirelo: %s\n", reason.c_str());
        }
        return false;
    }
    UseScript(std::move(bytes));
    return true;
}

void Interpreter::UseScript(formats::ByteVector bytes) {
    dialect_ = engine_.flow.scriptDialect;
    state.script = std::move(bytes);
    state.loaded = true;
    state.pc = 0;
    state.recordTicks = 0;
    moved_ = true;
    state.labels = formats::ScanMesLabels(state.script, dialect_);
    state.choices.collecting = false;
    state.messageNumber = 0;
    engine_.composition.SetShakeOffset(0, 0);
    state.pictureChanged = false;
    state.particles.active = false;
    vars.ClearGlobalBit(kScenarioLocalBit);
    reportedLongRecord_ = false;
}

void Interpreter::NewGame(int gameDialect) {
    state.choices.collecting = false;
    engine_.flow.gameState = core::kStateScript;
    engine_.flow.subState = 0;
    state.chainIndex = 0;
    // The window is built for the dialect the game runs, so that its picture,
    // its backlog voices and the effects come from that story's own folders.
    engine_.flow.scriptDialect = gameDialect;
    dialect_ = gameDialect;
    vars.variables.fill(0);
    vars.flags.fill(0);
    for (int ending = 0; ending < kEndingBitCount; ++ending) {
        vars.SetFlag(kFirstEndingFlagRow + ending, 0, vars.GlobalBit(kFirstEndingBit + ending));
    }
    state.fromScenarioSelect = false;
    BuildMessageWindow();
}

void Interpreter::ReturnToTitle() {
    RemoveMessageWindow();
    engine_.flow.scriptDialect = 0;
    dialect_ = 0;
    engine_.composition.SetBrightness(256);
    engine_.sound.Music().Stop();
    if (engine_.sound.Mixer()) engine_.sound.Mixer()->StopAll();
    StopParticles();
    RemoveCaption();
    plates_.Remove();
    engine_.slots.DeleteAllSprites();
    engine_.slots.FreeAllImages();
    state.shownPaths = {};
    engine_.flow.gameState = core::kStateLogo;
    engine_.flow.subState = 0;
    state.chainIndex = 0;
    engine_.composition.MarkScreenDirty();
    state.scenarioPath.clear();
    state.script.clear();
    state.loaded = false;
}

bool Interpreter::StartScenario(int startDialect, std::string_view name, std::string* why) {
    NewGame(startDialect);
    std::string path = "GameData\\sinario\\" + std::string(name) + ".MES";
    return LoadScenarioFile(path, why);
}

void Interpreter::BuildMessageWindow() {
    window_.reset();
    window_ = std::make_unique<MessageWindow>(engine_, engine_.flow.scriptDialect, tables);
}

void Interpreter::RemoveMessageWindow() {
    window_.reset();
}

std::string Interpreter::CharacterPath(std::string_view name) const {
    std::string path = (!name.empty() && name[0] == '\\') ? "GameData\\char" : "GameData\\char\\";
    path += name;
    if (!path.empty() && path.back() == '@') path.pop_back();
    path += ".rbp";
    return path;
}

namespace {

std::string MaskPath(const std::string& path) {
    size_t dot = formats::SjisFindLastDot(path);
    return (dot == formats::kSjisNotFound ? path : path.substr(0, dot)) + "m.rbp";
}

int ShownIndex(int slot) {
    return slot - kCharacterSlot;
}

}  // namespace

void Interpreter::RemovePicture(int slot) {
    engine_.slots.DeleteSprite(slot);
    engine_.slots.FreeImageSlot(slot);
    if (slot >= kCharacterSlot && slot <= kScrollSlot) state.shownPaths[ShownIndex(slot)].clear();
}

bool Interpreter::ShowCharacter(int slot, const std::string& path, bool withMask) {
    if (!engine_.slots.LoadImageSlot(slot, ImageLocation(), path, gfx::Keying::kKeyed))
        return false;
    if (withMask) engine_.slots.LoadMaskSlot(slot, ImageLocation(), MaskPath(path));
    gfx::Image* image = engine_.slots.ImageAt(slot);
    int32_t width = image ? image->designWidth : 0;
    engine_.slots.CreateSprite(slot, slot, 0, 0, -1, -1, 400 - width / 2, 0, 0, 0,
                               slot == kCharacterSlot ? 28 : 30);
    state.shownPaths[ShownIndex(slot)] = path;
    return true;
}

bool Interpreter::ShowBackground(const std::string& path) {
    if (!engine_.slots.LoadImageSlot(kBackgroundSlot, ImageLocation(), path, gfx::Keying::kUnkeyed))
        return false;
    engine_.slots.CreateSprite(kBackgroundSlot, kBackgroundSlot, 0, 0, 800, 600, 0, 0, 0, 0, 32);
    state.shownPaths[ShownIndex(kBackgroundSlot)] = path;
    return true;
}

void Interpreter::PlayMusic(int32_t id, int32_t loop) {
    const auto& row = tables.music[dialect_];
    int64_t index = dialect_ == 0 ? int64_t{id} - 1 : kMusicRowLength - int64_t{id};
    if (index < 0 || index >= kMusicRowLength || row[index].empty()) return;
    std::string_view name = row[index];
    size_t slash = formats::SjisFindLastBackslash(name);
    if (slash != formats::kSjisNotFound) name = name.substr(slash + 1);
    if (engine_.sound.Music().Playing() &&
        formats::SjisEqualNoCase(engine_.sound.Music().Name(), name))
        return;
    engine_.sound.Music().Play(name, engine_.data.DataFolders()[core::kLocationMusic0 + dialect_],
                               ScaledVolume(engine_, engine_.settings.musicVolume), 0, loop);
}

void Interpreter::PlayEffect(int32_t id, int32_t repeat) {
    if (!engine_.sound.Mixer() || Skipping(engine_)) return;
    const std::string& folder = engine_.data.DataFolders()[core::kLocationEffects0 + dialect_];
    if (dialect_ == 0) {
        if (engine_.settings.sePlay <= 1 || id < 0 || id >= kEffectRowLength) return;
        const std::string& name = tables.effects[0][id];
        if (name.empty()) return;
        if (engine_.sound.Mixer()->LoadEffect(kEffectChannel, name, folder,
                                              ScaledVolume(engine_, engine_.settings.seVolume)))
            engine_.sound.Mixer()->PlayEffect(kEffectChannel, repeat);
    } else {
        int64_t index = int64_t{id} - 1;
        if (index < 0 || index >= kEffectRowLength) return;
        const std::string& name = tables.effects[dialect_][index];
        if (name.empty()) return;
        if (engine_.sound.Mixer()->LoadEffect(kSecondVoiceChannel, name, folder,
                                              ScaledVolume(engine_, engine_.settings.voiceVolume)))
            engine_.sound.Mixer()->PlayEffect(kSecondVoiceChannel, repeat);
    }
}

namespace {

// v\abc_012.wav becomes v\abc\abc_012.mp3: the voices of one speaker lie in
// a folder named after the file's stem.
std::string VoicePath(std::string_view name) {
    std::string withMp3 = formats::SjisReplaceExtension(name, ".mp3");
    size_t slash = formats::SjisFindLastBackslash(withMp3);
    std::string folder = slash == formats::kSjisNotFound ? "" : withMp3.substr(0, slash + 1);
    std::string file = slash == formats::kSjisNotFound ? withMp3 : withMp3.substr(slash + 1);
    size_t cut = formats::SjisFindLast(file, '_');
    if (cut == formats::kSjisNotFound) cut = formats::SjisFindLastDot(file);
    std::string stem = file.substr(0, cut == formats::kSjisNotFound ? file.size() : cut);
    return folder + stem + "\\" + file;
}

}  // namespace

void Interpreter::PlayVoice(std::string_view name, int slot, VoiceReplay replay) {
    const std::string& archive = engine_.data.DataFolders()[core::kLocationVoice0 + dialect_];
    int volume = ScaledVolume(engine_, engine_.settings.voiceVolume);
    if (dialect_ == 0) {
        std::string path = VoicePath(name);
        if (replay == VoiceReplay::kFromBacklog && window_) window_->SetVoicePath(path);
        bool unread = !readFlags.IsRead(state.scenarioPath, state.messageNumber);
        if (engine_.settings.voicePlay > 1 &&
            (!Skipping(engine_) || (engine_.settings.readSkip && unread)) &&
            engine_.sound.Mixer()) {
            if (engine_.sound.Mixer()->LoadEffect(slot, path, archive, volume))
                engine_.sound.Mixer()->PlayEffect(slot, 0);
        }
        return;
    }
    std::string path = formats::SjisReplaceExtension(name, ".mp3");
    if (!Skipping(engine_) && engine_.sound.Mixer()) {
        if (engine_.sound.Mixer()->LoadEffect(slot, path, archive, volume))
            engine_.sound.Mixer()->PlayEffect(slot, 0);
    }
}

void Interpreter::RouteDecision() {
    static constexpr int32_t kRows[5] = {0, 1, 2, 3, 7};
    static constexpr int32_t kVariables[5] = {0, 1, 2, 3, 10};
    for (int32_t row : kRows) vars.SetFlag(FlagRow(row), 11, 0);
    int best = 0;
    for (int i = 1; i < 5; ++i) {
        if (vars.variables[VariableIndex(kVariables[i])] >
            vars.variables[VariableIndex(kVariables[best])]) {
            best = i;
        }
    }
    vars.SetFlag(FlagRow(kRows[best]), 11, 1);
}

}  // namespace script
