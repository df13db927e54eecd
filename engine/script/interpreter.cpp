#include "engine/script/interpreter.h"

#include <cstdio>
#include <cstring>

#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "formats/archive_reader.h"
#include "formats/sjis.h"
#include "platform/text_encoding.h"

namespace script {

using formats::MesOp;

Interpreter::Interpreter(const core::EngineServices& engine, DataSetTables tables)
    : tables(std::move(tables)), engine(engine), plates(engine) {}

Interpreter::~Interpreter() {
    StopParticles();
    RemoveCaption();
    window.reset();
}

uint32_t Interpreter::Now() const {
    return engine.timers.Now();
}

bool Interpreter::Confirmed() const {
    return ConfirmLatched(engine);
}

int32_t Interpreter::Operand(size_t offset) const {
    return formats::MesOperand(formats::ByteSpan(line_.data(), lineLength), offset);
}

std::string Interpreter::NameOperand(size_t offset) const {
    if (offset >= lineLength) return {};
    const char* start = reinterpret_cast<const char*>(line_.data()) + offset;
    return std::string(start, strnlen(start, lineLength - offset));
}

std::string Interpreter::TextOperand() const {
    if (lineLength <= 1) return {};
    return formats::DecodeMesText(formats::ByteSpan(line_.data() + 1, lineLength - 1));
}

formats::MesOp Interpreter::NextOperation() const {
    if (nextPc >= state.script.size()) return MesOp::kHalt;
    return formats::DecodeMesOpcode(dialect, state.script[nextPc]);
}

Interpreter::Step Interpreter::Advance() {
    state.pc = nextPc;
    moved = true;
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
    moved = true;
    return Step::kContinue;
}

void Interpreter::RunScript() {
    dialect = engine.flow.scriptDialect;
    if (!state.loaded) {
        // Nothing to run: a scenario that could not be loaded ends the game.
        ReturnToTitle();
        return;
    }
    for (int records = 0; records < kMaxRecordsPerTick; ++records) {
        formats::MesRecord record;
        if (!formats::NextMesRecord(state.script, state.pc, &record)) break;  // past the end
        if (record.length >= formats::kMesLineBufferSize) {
            if (!reportedLongRecord) {
                std::fprintf(stderr,
                             "mirelo: %s: record at byte %zu is %zu bytes, longer than the line "
                             "buffer; the script stops there\n",
                             platform::SjisForDisplay(state.scenarioPath).c_str(), record.offset,
                             record.length);
                reportedLongRecord = true;
            }
            break;
        }
        std::memcpy(line_.data(), state.script.data() + record.offset, record.length);
        line_[record.length] = 0;
        lineLength = record.length;
        nextPc = record.next;
        moved = false;
        MesOp op = formats::DecodeMesOpcode(dialect, line_[0]);
        Step step = Execute(op);
        if (!state.loaded) return;  // the record ended the game or its script
        if (moved) {
            state.recordTicks = 0;
        } else {
            ++state.recordTicks;
        }
        if (step == Step::kEndTick) break;
    }
    if (dialect <= 1 && state.particles.active && engine.settings.tilvaMode) StepParticles();
    if (dialect == 0) StepCaption();
}

bool Interpreter::LoadScenarioFile(std::string_view path) {
    dialect = engine.flow.scriptDialect;
    size_t slash = formats::SjisFindLastBackslash(path);
    std::string file(slash == formats::kSjisNotFound ? path : path.substr(slash + 1));
    bool seen = false;
    for (const std::string& name : state.seenScenarios) seen = seen || name == file;
    if (!seen) state.seenScenarios.push_back(file);

    if (engine.sound.Mixer()) engine.sound.Mixer()->HaltEffect(kEffectChannel);
    RemoveCaption();
    StopParticles();

    state.scenarioPath = std::string(path);
    state.script.clear();
    state.loaded = false;
    const std::string& archive = engine.data.DataFolders()[core::kLocationScenario0 + dialect];
    formats::ByteVector bytes;
    if (!engine.data.Archives().ReadEntry(archive, path, &bytes)) {
        std::fprintf(stderr, "mirelo: cannot load scenario %s from %s\n",
                     platform::SjisForDisplay(path).c_str(),
                     platform::SjisForDisplay(archive).c_str());
        return false;
    }
    UseScript(std::move(bytes));
    return true;
}

void Interpreter::UseScript(formats::ByteVector bytes) {
    dialect = engine.flow.scriptDialect;
    state.script = std::move(bytes);
    state.loaded = true;
    state.pc = 0;
    state.recordTicks = 0;
    moved = true;
    state.labels = formats::ScanMesLabels(state.script, dialect);
    state.choices.collecting = false;
    state.messageNumber = 0;
    engine.composition.SetShakeOffset(0, 0);
    state.pictureChanged = false;
    state.particles.active = false;
    vars.ClearGlobalBit(kScenarioLocalBit);
    reportedLongRecord = false;
}

void Interpreter::NewGame() {
    state.choices.collecting = false;
    engine.flow.gameState = core::kStateScript;
    engine.flow.subState = 0;
    state.chainIndex = 0;
    engine.flow.scriptDialect = 1;
    dialect = 1;
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
    engine.flow.scriptDialect = 0;
    dialect = 0;
    engine.composition.SetBrightness(256);
    engine.sound.Music().Stop();
    if (engine.sound.Mixer()) engine.sound.Mixer()->StopAll();
    StopParticles();
    RemoveCaption();
    plates.Remove();
    engine.slots.DeleteAllSprites();
    engine.slots.FreeAllImages();
    state.shownPaths = {};
    engine.flow.gameState = core::kStateLogo;
    engine.flow.subState = 0;
    state.chainIndex = 0;
    engine.composition.MarkScreenDirty();
    state.scenarioPath.clear();
    state.script.clear();
    state.loaded = false;
}

bool Interpreter::StartScenario(int startDialect, std::string_view name) {
    NewGame();
    engine.flow.scriptDialect = startDialect;
    dialect = startDialect;
    BuildMessageWindow();
    std::string path = "GameData\\sinario\\" + std::string(name) + ".MES";
    return LoadScenarioFile(path);
}

void Interpreter::BuildMessageWindow() {
    window.reset();
    window = std::make_unique<MessageWindow>(engine, engine.flow.scriptDialect, tables);
}

void Interpreter::RemoveMessageWindow() {
    window.reset();
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
    engine.slots.DeleteSprite(slot);
    engine.slots.FreeImageSlot(slot);
    if (slot >= kCharacterSlot && slot <= kScrollSlot) state.shownPaths[ShownIndex(slot)].clear();
}

bool Interpreter::ShowCharacter(int slot, const std::string& path, bool withMask) {
    if (!engine.slots.LoadImageSlot(slot, ImageLocation(), path, gfx::Keying::kKeyed)) return false;
    if (withMask) engine.slots.LoadMaskSlot(slot, ImageLocation(), MaskPath(path));
    gfx::Image* image = engine.slots.ImageAt(slot);
    int32_t width = image ? image->designWidth : 0;
    engine.slots.CreateSprite(slot, slot, 0, 0, -1, -1, 400 - width / 2, 0, 0, 0,
                              slot == kCharacterSlot ? 28 : 30);
    state.shownPaths[ShownIndex(slot)] = path;
    return true;
}

bool Interpreter::ShowBackground(const std::string& path) {
    if (!engine.slots.LoadImageSlot(kBackgroundSlot, ImageLocation(), path, gfx::Keying::kUnkeyed))
        return false;
    engine.slots.CreateSprite(kBackgroundSlot, kBackgroundSlot, 0, 0, 800, 600, 0, 0, 0, 0, 32);
    state.shownPaths[ShownIndex(kBackgroundSlot)] = path;
    return true;
}

void Interpreter::PlayMusic(int32_t id, int32_t loop) {
    const auto& row = tables.music[dialect];
    int64_t index = dialect == 0 ? int64_t{id} - 1 : kMusicRowLength - int64_t{id};
    if (index < 0 || index >= kMusicRowLength || row[index].empty()) return;
    std::string_view name = row[index];
    size_t slash = formats::SjisFindLastBackslash(name);
    if (slash != formats::kSjisNotFound) name = name.substr(slash + 1);
    if (engine.sound.Music().Playing() &&
        formats::SjisEqualNoCase(engine.sound.Music().Name(), name))
        return;
    engine.sound.Music().Play(name, engine.data.DataFolders()[core::kLocationMusic0 + dialect],
                              ScaledVolume(engine, engine.settings.musicVolume), 0, loop);
}

void Interpreter::PlayEffect(int32_t id, int32_t repeat) {
    if (!engine.sound.Mixer() || Skipping(engine)) return;
    const std::string& folder = engine.data.DataFolders()[core::kLocationEffects0 + dialect];
    if (dialect == 0) {
        if (engine.settings.sePlay <= 1 || id < 0 || id >= kEffectRowLength) return;
        const std::string& name = tables.effects[0][id];
        if (name.empty()) return;
        if (engine.sound.Mixer()->LoadEffect(kEffectChannel, name, folder,
                                             ScaledVolume(engine, engine.settings.seVolume)))
            engine.sound.Mixer()->PlayEffect(kEffectChannel, repeat);
    } else {
        int64_t index = int64_t{id} - 1;
        if (index < 0 || index >= kEffectRowLength) return;
        const std::string& name = tables.effects[dialect][index];
        if (name.empty()) return;
        if (engine.sound.Mixer()->LoadEffect(kSecondVoiceChannel, name, folder,
                                             ScaledVolume(engine, engine.settings.voiceVolume)))
            engine.sound.Mixer()->PlayEffect(kSecondVoiceChannel, repeat);
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
    const std::string& archive = engine.data.DataFolders()[core::kLocationVoice0 + dialect];
    int volume = ScaledVolume(engine, engine.settings.voiceVolume);
    if (dialect == 0) {
        std::string path = VoicePath(name);
        if (replay == VoiceReplay::kFromBacklog && window) window->SetVoicePath(path);
        bool unread = !readFlags.IsRead(state.scenarioPath, state.messageNumber);
        if (engine.settings.voicePlay > 1 &&
            (!Skipping(engine) || (engine.settings.readSkip && unread)) && engine.sound.Mixer()) {
            if (engine.sound.Mixer()->LoadEffect(slot, path, archive, volume))
                engine.sound.Mixer()->PlayEffect(slot, 0);
        }
        return;
    }
    std::string path = formats::SjisReplaceExtension(name, ".mp3");
    if (!Skipping(engine) && engine.sound.Mixer()) {
        if (engine.sound.Mixer()->LoadEffect(slot, path, archive, volume))
            engine.sound.Mixer()->PlayEffect(slot, 0);
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
