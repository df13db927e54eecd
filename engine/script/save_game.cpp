// Saves: the story's state captured into the slot record at the capture
// points, written to and read back from the save folder, and the system
// files kept across play-throughs.

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/persist/save_files.h"
#include "engine/script/interpreter.h"
#include "engine/script/save_caption.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "formats/archive_reader.h"
#include "platform/backend.h"
#include "platform/text_encoding.h"

namespace script {
namespace {

constexpr int kWaitIconSprite = 256;

// The context block keeps the story fields the words before it have no room
// for: the pan width and the scenario-select start (words 0..2 are unused;
// the calendar has its own words).
void StoreContext(const ScriptState& state,
                  std::array<uint8_t, persist::kContextBlockSize>& block) {
    block.fill(0);
    const int32_t words[] = {0, 0, 0, state.panWidth, state.fromScenarioSelect ? 1 : 0};
    for (size_t i = 0; i < std::size(words); ++i) {
        formats::StoreLe32(block.data() + 4 * i, static_cast<uint32_t>(words[i]));
    }
}

void LoadContext(const std::array<uint8_t, persist::kContextBlockSize>& block, ScriptState& state) {
    auto word = [&block](size_t i) {
        return static_cast<int32_t>(formats::ReadLe32(block, 4 * i));
    };
    state.panWidth = word(3);
    state.fromScenarioSelect = word(4) != 0;
}

}  // namespace

std::string Interpreter::SaveFolder() const {
    return engine_.data.DataFolders()[core::kLocationSave];
}

void Interpreter::TakeSaveSnapshot() {
    persist::SlotRecord& record = snapshot_;
    record.scenarioPath = state.scenarioPath;
    sound::MusicController& music = engine_.sound.Music();
    record.musicName = music.Playing() ? music.Name() : std::string();
    for (size_t i = 0; i < state.shownPaths.size(); ++i) record.imageNames[i] = state.shownPaths[i];
    sound::SoundMixer* mixer = engine_.sound.Mixer();
    record.loopingEffect = mixer ? mixer->EffectName(kEffectChannel) : std::string();
    record.calendar = state.eyecatchNumbers;
    record.dialect = dialect_;
    record.stateWords = {engine_.flow.gameState, engine_.flow.subState, state.chainIndex,
                         state.chainStep};
    // The record being run: a load starts it again from its first run.
    record.interpreterWords = {static_cast<int32_t>(state.pc), state.messageNumber};
    record.waitIcon = engine_.slots.SpriteAt(kWaitIconSprite) != nullptr;
    record.particles = state.particles.active;
    record.variables = vars.variables;
    record.flags = vars.flags;
    StoreContext(state, record.contextBlock);
    record.window = window_ ? window_->Snapshot() : persist::WindowSnapshot{};
    // The story's four pictures keep where a scroll, a pan or a script put
    // them; they do not animate, so no cells are kept.
    for (int i = 0; i < persist::kSnapshotSprites; ++i) {
        persist::SpriteSnapshot& shot = record.sprites[i];
        shot = persist::SpriteSnapshot{};
        const core::Sprite* sprite = engine_.slots.SpriteAt(kCharacterSlot + i);
        if (sprite == nullptr || sprite->IsFading()) continue;
        const core::SpritePlacement p = sprite->Placement();
        shot.exists = true;
        shot.imageSlot = p.imageSlot;
        shot.sourceX = p.sourceX;
        shot.sourceY = p.sourceY;
        shot.width = p.width;
        shot.height = p.height;
        shot.x = p.x;
        shot.y = p.y;
        shot.hotX = p.hotX;
        shot.hotY = p.hotY;
        shot.layer = p.layer;
        shot.alpha = p.alpha;
        shot.brightness = p.brightness;
        shot.visible = p.visible;
    }
}

void Interpreter::WriteSystemFile() {
    persist::WriteSaveFile(SaveFolder() + persist::kSystemFlagsFile, vars.globalBits);
    WriteSeenData();
}

void Interpreter::WriteSeenData() {
    persist::NameSets sets;
    sets.images = seenImagesBefore_;
    for (const std::string& name : engine_.slots.SeenImages())
        persist::AddSeenName(sets.images, name);
    for (const std::string& name : state.seenScenarios) persist::AddSeenName(sets.scripts, name);
    persist::WriteNameSets(SaveFolder(), sets);
    if (readFlags.Records().empty()) return;
    std::vector<persist::ReadFlagEntry> entries;
    for (const ReadFlagRecord& record : readFlags.Records()) {
        persist::ReadFlagEntry entry;
        entry.scriptName = record.scenarioPath;
        static_assert(sizeof entry.bits == sizeof record.bits);
        std::memcpy(entry.bits.data(), record.bits.data(), entry.bits.size());
        entries.push_back(std::move(entry));
    }
    persist::WriteReadFlagFile(SaveFolder(), entries);
}

bool Interpreter::ImageSeen(std::string_view file) const {
    return persist::ContainsSeenName(seenImagesBefore_, file) ||
           persist::ContainsSeenName(engine_.slots.SeenImages(), file);
}

bool Interpreter::ScenarioSeen(std::string_view file) const {
    return persist::ContainsSeenName(state.seenScenarios, file);
}

void Interpreter::ReadSeenData() {
    std::string why;
    persist::NameSets sets;
    if (persist::ReadNameSets(SaveFolder(), &sets, &why)) {
        seenImagesBefore_ = std::move(sets.images);
        state.seenScenarios = std::move(sets.scripts);
    }
    std::vector<persist::ReadFlagEntry> entries;
    if (readFlags.Records().empty() && persist::ReadReadFlagFile(SaveFolder(), &entries, &why)) {
        for (const persist::ReadFlagEntry& entry : entries) {
            ReadFlagRecord record;
            record.scenarioPath = entry.scriptName;
            std::memcpy(record.bits.data(), entry.bits.data(), record.bits.size());
            readFlags.Records().push_back(std::move(record));
        }
    }
}

void Interpreter::ReadSystemFile() {
    formats::ByteVector bytes;
    std::string why;
    if (!persist::ReadSaveFile(SaveFolder() + persist::kSystemFlagsFile, &bytes, &why)) return;
    // A short file fills what it holds; the rest stays clear.
    vars.globalBits.fill(0);
    std::memcpy(vars.globalBits.data(), bytes.data(),
                std::min(bytes.size(), vars.globalBits.size()));
}

bool Interpreter::SaveSlot(int index, int32_t kind) {
    if (index < 0 || index >= persist::kSlotCount) return false;
    persist::SlotRecord record = snapshot_;
    record.kind = kind;
    platform::LocalTime now = platform::ReadLocalTime();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", now.year, now.month, now.day,
                  now.hour, now.minute, now.second);
    record.saveTime = text;
    // The caption tells where the saved game stands, so it is taken from
    // the snapshot, not from the story's moment now.
    ScriptVariables saved;
    saved.flags = record.flags;
    record.caption =
        SaveCaption(tables.captions, record.dialect, record.calendar, saved, record.scenarioPath);
    record.timeFields = {now.year, now.month, now.day, now.hour, now.minute, now.second};
    bool written = persist::WriteSlotRecord(SaveFolder(), index, record);
    WriteSystemFile();
    return written;
}

bool Interpreter::LoadSlot(int index) {
    if (index < 0 || index >= persist::kSlotCount) return false;
    const std::string path = SaveFolder() + persist::SlotFileName(index);
    persist::SlotRecord record;
    std::string why;
    formats::ByteVector script;
    if (persist::ReadSlotRecord(SaveFolder(), index, &record, &why) &&
        record.stateWords[0] == core::kStateScript) {
        // The script is read before anything is touched, so that a record
        // naming a script that is gone leaves the game running.
        const std::string& archive =
            engine_.data.DataFolders()[core::kLocationScenario0 + record.dialect];
        if (!engine_.data.Archives().ReadEntry(archive, record.scenarioPath, &script)) {
            why = "cannot read its scenario " + record.scenarioPath;
        } else if (static_cast<uint32_t>(record.interpreterWords[0]) >= script.size()) {
            why = "its position lies past the end of its scenario";
        }
    }
    if (!why.empty()) {
        std::fprintf(stderr, "mirelo: %s: %s\n", platform::SjisForDisplay(path).c_str(),
                     why.c_str());
        return false;
    }

    WriteSystemFile();
    engine_.sound.Music().Stop();
    if (engine_.sound.Mixer()) engine_.sound.Mixer()->StopAll();
    StopParticles();
    RemoveCaption();
    plates_.Remove();
    window_.reset();
    engine_.slots.DeleteAllSprites();
    engine_.slots.FreeAllImages();
    state.shownPaths = {};
    engine_.composition.SetShakeOffset(0, 0);

    engine_.flow.scriptDialect = record.dialect;
    dialect_ = record.dialect;
    engine_.flow.gameState = record.stateWords[0];
    engine_.flow.subState = record.stateWords[1];
    state.chainIndex = record.stateWords[2];
    state.chainStep = record.stateWords[3];
    vars.variables = record.variables;
    vars.flags = record.flags;
    state.eyecatchNumbers = record.calendar;
    LoadContext(record.contextBlock, state);
    if (record.window.exists) {
        BuildMessageWindow();
        window_->Restore(record.window);
    }
    if (record.stateWords[0] == core::kStateScript) {
        state.scenarioPath = record.scenarioPath;
        UseScript(std::move(script));
        state.pc = static_cast<uint32_t>(record.interpreterWords[0]);
        state.messageNumber = record.interpreterWords[1];
        RestorePictures(record);
        if (record.waitIcon && window_) window_->ShowWaitIcon(dialect_ == 2, 0);
    }
    engine_.composition.MarkScreenDirty();
    const std::string& musicFolder = engine_.data.DataFolders()[core::kLocationMusic0 + dialect_];
    if (!record.musicName.empty()) {
        engine_.sound.Music().Play(record.musicName, musicFolder,
                                   ScaledVolume(engine_, engine_.settings.musicVolume), 0, 1);
    }
    sound::SoundMixer* mixer = engine_.sound.Mixer();
    if (!record.loopingEffect.empty() && engine_.settings.sePlay == 2 && mixer) {
        const std::string& folder = engine_.data.DataFolders()[core::kLocationEffects0 + dialect_];
        if (mixer->LoadEffect(kEffectChannel, record.loopingEffect, folder,
                              ScaledVolume(engine_, engine_.settings.seVolume)))
            mixer->PlayEffect(kEffectChannel, 1);
    }
    ReadSystemFile();
    if (record.particles) {
        if (engine_.settings.tilvaMode) {
            StartParticles(32, 180, 256, 4);
        } else {
            state.particles.active = true;
        }
    }
    snapshot_ = record;
    return true;
}

void Interpreter::RestorePictures(const persist::SlotRecord& record) {
    // Each picture comes back as the record that showed it loaded it: the
    // character with its mask, the pair's second character without.
    if (!record.imageNames[0].empty()) ShowCharacter(kCharacterSlot, record.imageNames[0], true);
    if (!record.imageNames[1].empty())
        ShowCharacter(kSecondCharacterSlot, record.imageNames[1], false);
    if (!record.imageNames[2].empty()) ShowBackground(record.imageNames[2]);
    if (!record.imageNames[3].empty() &&
        engine_.slots.LoadImageSlot(kScrollSlot, ImageLocation(), record.imageNames[3],
                                    gfx::Keying::kUnkeyed)) {
        engine_.slots.CreateSprite(kScrollSlot, kScrollSlot, 0, 0, -1, -1, 0, 0, 0, 0, 32);
        state.shownPaths[kScrollSlot - kCharacterSlot] = record.imageNames[3];
    }
    for (int i = 0; i < persist::kSnapshotSprites; ++i) {
        const persist::SpriteSnapshot& shot = record.sprites[i];
        core::Sprite* sprite = engine_.slots.SpriteAt(kCharacterSlot + i);
        if (!shot.exists || sprite == nullptr) continue;
        sprite->Place(core::SpritePlacement{shot.imageSlot, shot.sourceX, shot.sourceY, shot.width,
                                            shot.height, shot.x, shot.y, shot.hotX, shot.hotY,
                                            shot.layer, shot.alpha, shot.brightness, shot.visible});
    }
}

}  // namespace script
