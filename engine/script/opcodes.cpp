// The records of the three dialects: what each operation does when the
// interpreter reaches it.

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/script/interpreter.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "formats/sjis.h"

namespace script {

using formats::MesOp;

namespace {

constexpr size_t kA = 1;
constexpr size_t kB = 5;
constexpr size_t kC = 9;

// Variables wrap around as 32-bit words do.
int32_t WrappingAdd(int32_t value, int64_t delta) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

}  // namespace

Interpreter::Step Interpreter::Execute(MesOp op) {
    const bool first = state.recordTicks == 0;
    switch (op) {
        case MesOp::kText:
            return RunText();
        case MesOp::kNop:
        case MesOp::kLabel:
            return Advance();
        case MesOp::kJump:
            return JumpTo(Operand(kA));
        case MesOp::kPageWait:
            return RunPageWait(line_[0] == formats::EncodeMesOpcode(dialect_, op) ? 4 : 8);
        case MesOp::kPageWaitClear:
            return RunPageWait(6);
        case MesOp::kWaitClick: {
            bool pressed = Confirmed() || (dialect_ == 2 && Skipping(engine_));
            if (!pressed) return Step::kEndTick;
            ClearConfirm(engine_);
            return AdvanceAndEnd();
        }
        case MesOp::kMessageNumber:
            readFlags.MarkRead(state.scenarioPath, state.messageNumber);
            state.messageNumber = Operand(kA);
            return Advance();
        case MesOp::kParticlesOn:
            if (engine_.settings.tilvaMode) {
                StartParticles(32, 180, 256, 4);
            } else {
                state.particles.active = true;
            }
            return Advance();
        case MesOp::kParticlesOff:
            StopParticles();
            return Advance();
        case MesOp::kLoadScenario:
            return RunLoadScenario();
        case MesOp::kNamePlate:
            if (!state.choices.collecting && window_) window_->ShowNamePlate(TextOperand());
            return Advance();
        case MesOp::kQuake:
            return Quake(0, first) ? AdvanceAndEnd() : Step::kEndTick;
        case MesOp::kRemoveScroll:
            RemovePicture(kScrollSlot);
            return Advance();
        case MesOp::kCharacterFade:
            return RunCharacterFade();
        case MesOp::kHideCharacter:
            return RunHideCharacter();
        case MesOp::kCharacterPairFade:
            return RunCharacterPairFade();
        case MesOp::kRemoveSecond:
            RemovePicture(kSecondCharacterSlot);
            return AdvanceAndEnd();
        case MesOp::kBackground: {
            std::string path = CharacterPath(NameOperand(kA));
            if (path != state.shownPaths[kBackgroundSlot - kCharacterSlot]) {
                RemovePicture(kBackgroundSlot);
                state.pictureChanged = true;
                ShowBackground(path);
            }
            return Advance();
        }
        case MesOp::kCharacter: {
            std::string path = CharacterPath(NameOperand(kB));
            if (path != state.shownPaths[0]) {
                RemovePicture(kCharacterSlot);
                state.pictureChanged = true;
                ShowCharacter(kCharacterSlot, path, true);
            }
            return Advance();
        }
        case MesOp::kCommit:
            if (state.pictureChanged) {
                engine_.composition.MarkScreenDirty();
                return AdvanceAndEnd();
            }
            return Advance();
        case MesOp::kMusicPlay:
            PlayMusic(Operand(kA), Operand(kB));
            return Advance();
        case MesOp::kMusicStop:
            engine_.sound.Music().Stop();
            return Advance();
        case MesOp::kEffectPlay:
            PlayEffect(Operand(kA), Operand(kB));
            return Advance();
        case MesOp::kEffectStop:
            if (engine_.sound.Mixer())
                engine_.sound.Mixer()->StopEffect(dialect_ == 0 ? kEffectChannel
                                                                : kSecondVoiceChannel);
            return Advance();
        case MesOp::kVoicePlay:
            PlayVoice(NameOperand(kA), kVoiceChannel, VoiceReplay::kFromBacklog);
            return Advance();
        case MesOp::kSubVoicePlay:
            PlayVoice(NameOperand(kA), kSecondVoiceChannel, VoiceReplay::kNone);
            return Advance();
        case MesOp::kBackgroundFade:
            return RunBackgroundFade();
        case MesOp::kScrollBelow:
        case MesOp::kScrollAbove: {
            std::string path = CharacterPath(NameOperand(kA));
            RemovePicture(kScrollSlot);
            if (engine_.slots.LoadImageSlot(kScrollSlot, ImageLocation(), path,
                                            gfx::Keying::kUnkeyed)) {
                engine_.slots.CreateSprite(kScrollSlot, kScrollSlot, 0, 0, 800, 600, 0,
                                           op == MesOp::kScrollBelow ? 600 : -600, 0, 0, 32);
                state.shownPaths[kScrollSlot - kCharacterSlot] = path;
            }
            return Advance();
        }
        case MesOp::kScrollUp:
            return VerticalScroll(0, first) ? AdvanceAndEnd() : Step::kEndTick;
        case MesOp::kScrollDown:
            return VerticalScroll(1, first) ? AdvanceAndEnd() : Step::kEndTick;
        case MesOp::kChoiceBegin:
            state.choices = ChoiceCollection{};
            state.choices.collecting = true;
            if (window_) window_->ClearChoiceList();
            return Advance();
        case MesOp::kChoiceTarget:
            if (state.choices.index >= 0 && state.choices.index < 4) {
                state.choices.targets[state.choices.index] = Operand(kA);
                state.choices.hasTarget[state.choices.index] = true;
            }
            return Advance();
        case MesOp::kChoiceSelect:
            return RunChoiceSelect();
        case MesOp::kSetBit:
            vars.SetGlobalBit(GlobalBitIndex(Operand(kA)));
            return Advance();
        case MesOp::kTestBit:
            if (Operand(kB) == 40 && engine_.settings.textCutMode == 0) return Advance();
            if (vars.GlobalBit(GlobalBitIndex(Operand(kA)))) return JumpTo(Operand(kB));
            return Advance();
        case MesOp::kEyecatchNumbers:
            state.eyecatchNumbers[0] = Operand(kB);
            state.eyecatchNumbers[1] = Operand(kC);
            return Advance();
        case MesOp::kEyecatchShow: {
            int done = dialect_ == 2 ? EyecatchAlt(first) : Eyecatch(first);
            return done ? AdvanceAndEnd() : Step::kEndTick;
        }
        case MesOp::kEyecatchChip:
            state.eyecatchNumbers[2] = Operand(kA);
            return Advance();
        case MesOp::kSetFlag:
            vars.SetFlag(FlagRow(Operand(kA)), Operand(kB), 1);
            return Advance();
        case MesOp::kTestFlag:
            if (vars.Flag(FlagRow(Operand(kA)), Operand(kB)) != 0) return JumpTo(Operand(kC));
            return Advance();
        case MesOp::kAddVar:
            if (int32_t* variable = vars.Variable(VariableIndex(Operand(kA))))
                *variable = WrappingAdd(*variable, Operand(kB));
            return Advance();
        case MesOp::kSubVar:
            if (int32_t* variable = vars.Variable(VariableIndex(Operand(kA))))
                *variable = WrappingAdd(*variable, -static_cast<int64_t>(Operand(kB)));
            return Advance();
        case MesOp::kTestVar: {
            int32_t* variable = vars.Variable(VariableIndex(Operand(kA)));
            if (variable == nullptr || *variable < Operand(kB)) return Advance();
            return JumpTo(Operand(kC));
        }
        case MesOp::kEndScenario:
            return RunEndScenario();
        case MesOp::kRouteDecision:
            RouteDecision();
            return Advance();
        case MesOp::kPan:
            return HorizontalPan(first) ? AdvanceAndEnd() : Step::kEndTick;
        case MesOp::kPanSetup: {
            // Pictures are at most a few screens wide; a damaged width stays
            // within what the sprite arithmetic can hold.
            state.panWidth = std::clamp(Operand(kA), -8000, 8000);
            std::string path = CharacterPath(NameOperand(kB));
            RemovePicture(kScrollSlot);
            if (engine_.slots.LoadImageSlot(kScrollSlot, ImageLocation(), path,
                                            gfx::Keying::kUnkeyed)) {
                engine_.slots.CreateSprite(kScrollSlot, kScrollSlot, 0, 0, state.panWidth, 600,
                                           -state.panWidth, 0, 0, 0, 32);
                state.shownPaths[kScrollSlot - kCharacterSlot] = path;
            }
            return Advance();
        }
        case MesOp::kRemoveScrollSoft:
            if (NextOperation() != MesOp::kBackgroundFade) RemovePicture(kScrollSlot);
            return Advance();
        case MesOp::kHalt:
            return Step::kEndTick;
    }
    return Step::kEndTick;
}

Interpreter::Step Interpreter::RunText() {
    const uint8_t* line = line_.data();
    if (lineLength_ > 2 && line[2] == '#') return Advance();  // a comment
    if (dialect_ == 0 && vars.variables[kRouteVariable] == 9) {
        size_t length = strnlen(reinterpret_cast<const char*>(line + 1), lineLength_ - 1);
        // A marked line of the route-9 text is passed over. The bytes after
        // the record's zero are what the line buffer still holds.
        if (length >= 4 && length + 3 < formats::kMesLineBufferSize && line[length] == '>' &&
            line[length - 1] == 0x0D && line[length + 2] == 0x0A && line[length + 3] == 0x08) {
            return Advance();
        }
    }
    std::string text = TextOperand();
    ChoiceCollection& choices = state.choices;
    if (choices.collecting && choices.index >= 0 && choices.index < 4 &&
        choices.hasTarget[choices.index]) {
        if (dialect_ == 2) {
            if (window_) window_->AddChoiceEntry(text, choices.targets[choices.index]);
        }
        choices.captions[choices.index] = text.substr(0, 47);
        ++choices.index;
        return Advance();
    }
    if (!window_) return Step::kEndTick;
    const bool first = state.recordTicks == 0;
    if (first) {
        if (!window_->Visible()) window_->Show(true);
        if (!choices.collecting) TakeSaveSnapshot();
    }
    return window_->ShowMessage(text, first) ? AdvanceAndEnd() : Step::kEndTick;
}

Interpreter::Step Interpreter::RunPageWait(int record) {
    if (!window_) return AdvanceAndEnd();
    PageWaitContext context;
    context.record = record;
    context.firstRun = state.recordTicks == 0;
    context.messageRead = readFlags.IsRead(state.scenarioPath, state.messageNumber);
    // The centre key's quick save and load use the first slot. The load
    // waits until the window has returned: it replaces the window.
    bool quickLoad = false;
    context.quickSave = [this] { SaveSlot(kQuickSlot, 0); };
    context.quickLoad = [&quickLoad] { quickLoad = true; };
    int ended = dialect_ == 2 ? window_->PageWaitNovel(context, record == 6 ? 1 : 0)
                              : window_->PageWait(context);
    if (quickLoad) {
        LoadSlot(kQuickSlot);
        return Step::kEndTick;
    }
    return ended ? AdvanceAndEnd() : Step::kEndTick;
}

Interpreter::Step Interpreter::RunChoiceSelect() {
    const bool first = state.recordTicks == 0;
    if (first) TakeSaveSnapshot();
    int32_t target = 0;
    if (dialect_ == 2) {
        if (!window_) return Step::kEndTick;
        int picked = window_->RunChoiceList(first, &target);
        if (picked <= 0) return Step::kEndTick;
    } else {
        int count = std::min(state.choices.index, 4);
        std::vector<std::string> captions(state.choices.captions.begin(),
                                          state.choices.captions.begin() + std::max(count, 0));
        int picked = plates_.Run(captions, first);
        if (picked < 0 || picked >= count) return Step::kEndTick;
        target = state.choices.targets[picked];
    }
    state.choices.collecting = false;
    if (window_) window_->ClearPage();
    if (dialect_ == 2) engine_.composition.MarkScreenDirty();
    Step step = JumpTo(target);
    // A target the script lacks leaves the record; the choice is made.
    return step == Step::kContinue ? step : AdvanceAndEnd();
}

Interpreter::Step Interpreter::RunCharacterFade() {
    if (state.recordTicks == 0) {
        std::string path = CharacterPath(NameOperand(kB));
        if (dialect_ == 0) {
            // A different figure (told by two characters of its file name)
            // also takes the second character away.
            auto figure = [](const std::string& p) {
                size_t slash = formats::SjisFindLastBackslash(p);
                size_t at = slash == formats::kSjisNotFound ? 0 : slash + 1;
                if (at + 2 >= p.size()) return -1;
                return 10 * static_cast<uint8_t>(p[at + 1]) + static_cast<uint8_t>(p[at + 2]);
            };
            const std::string& shown = state.shownPaths[0];
            if (!engine_.slots.ImageAt(kCharacterSlot) || shown.empty() ||
                figure(path) != figure(shown))
                RemovePicture(kSecondCharacterSlot);
        }
        RemovePicture(kCharacterSlot);
        ShowCharacter(kCharacterSlot, path, true);
    }
    return Transition(kCharacterFadeMs, WindowInTransition::kKept, state.recordTicks == 0)
               ? AdvanceAndEnd()
               : Step::kEndTick;
}

Interpreter::Step Interpreter::RunHideCharacter() {
    MesOp fade = MesOp::kBackgroundFade;
    if (NextOperation() == fade) return Advance();
    const bool first = state.recordTicks == 0;
    if (!engine_.slots.SpriteAt(kCharacterSlot) && first) return Advance();
    if (first) {
        RemovePicture(kCharacterSlot);
        if (dialect_ == 0) RemovePicture(kSecondCharacterSlot);
    }
    return Transition(kCharacterFadeMs, WindowInTransition::kKept, first) ? AdvanceAndEnd()
                                                                          : Step::kEndTick;
}

Interpreter::Step Interpreter::RunCharacterPairFade() {
    const bool first = state.recordTicks == 0;
    if (first) {
        std::string path = CharacterPath(NameOperand(kB));
        bool same = path == state.shownPaths[0];
        RemovePicture(kCharacterSlot);
        RemovePicture(kSecondCharacterSlot);
        ShowCharacter(kCharacterSlot, path, true);
        int32_t id = Operand(kA);
        if (id >= 1 && static_cast<size_t>(id) <= tables.pairs.size() &&
            !tables.pairs[id - 1].empty()) {
            ShowCharacter(kSecondCharacterSlot, tables.pairs[id - 1], false);
        }
        if (same) return AdvanceAndEnd();
    }
    return Transition(kCharacterFadeMs, WindowInTransition::kKept, first) ? AdvanceAndEnd()
                                                                          : Step::kEndTick;
}

Interpreter::Step Interpreter::RunBackgroundFade() {
    if (state.recordTicks == 0) {
        if (window_ && window_->Visible()) window_->Show(false);
        return Step::kEndTick;
    }
    std::string name = NameOperand(kA);
    std::string path = CharacterPath(name);
    if (state.recordTicks == 1) {
        if (dialect_ == 0 && formats::SjisEqualNoCase(name, "back\\y10a")) return Advance();
        RemovePicture(kCharacterSlot);
        RemovePicture(kBackgroundSlot);
        if (dialect_ == 0) {
            RemovePicture(kSecondCharacterSlot);
            RemovePicture(kScrollSlot);
        }
        ShowBackground(path);
        if (dialect_ != 1) ShadeBackground();
    }
    if (!Transition(kBackgroundFadeMs, WindowInTransition::kHidden, state.recordTicks == 1))
        return Step::kEndTick;
    if (dialect_ == 0) ShowPlaceName(path);
    return AdvanceAndEnd();
}

Interpreter::Step Interpreter::RunLoadScenario() {
    if (dialect_ == 0 && state.fromScenarioSelect) {
        engine_.flow.gameState = core::kStateScenarioSelect;
        engine_.flow.subState = 30;
        return Step::kEndTick;
    }
    readFlags.MarkRead(state.scenarioPath, state.messageNumber);
    std::string path = "GameData\\sinario\\" + NameOperand(kA) + ".MES";
    LoadScenarioFile(path);
    return Step::kEndTick;
}

Interpreter::Step Interpreter::RunEndScenario() {
    if (dialect_ == 0) return RunEndScenarioMain();
    if (dialect_ == 1) {
        if (formats::SjisEqualNoCase(state.scenarioPath, "GameData\\sinario\\gakuen_omake.MES")) {
            WriteSystemFile();
            ReturnToTitle();
            return Step::kEndTick;
        }
        engine_.flow.gameState = core::kStateTitle;
        engine_.flow.subState = 15;
        engine_.composition.SetBrightness(256);
        state.recordTicks = 0;
        engine_.sound.Music().Stop();
        if (window_) window_->Show(false);
        RemoveMessageWindow();
        engine_.slots.DeleteAllSprites();
        engine_.slots.FreeAllImages();
        state.shownPaths = {};
        return Step::kEndTick;
    }
    if (vars.Flag(2, 1) || vars.Flag(2, 2)) {
        engine_.flow.gameState = core::kStateEpilogue;
        engine_.flow.subState = 0;
    } else {
        WriteSystemFile();
        ReturnToTitle();
    }
    return Step::kEndTick;
}

Interpreter::Step Interpreter::RunEndScenarioMain() {
    RemoveCaption();
    readFlags.MarkRead(state.scenarioPath, state.messageNumber);
    if (state.fromScenarioSelect) {
        engine_.flow.gameState = core::kStateScenarioSelect;
        engine_.flow.subState = 30;
        return Step::kEndTick;
    }
    const auto& numbers = state.eyecatchNumbers;
    if (state.chainIndex < kDateChainLength &&
        (numbers[0] == 2 || (numbers[0] <= 3 && numbers[1] < 10))) {
        auto loadChain = [this](int32_t index) {
            if (index >= 0 && index < kDateChainLength && !tables.dateChain[index].empty())
                LoadScenarioFile(tables.dateChain[index]);
        };
        switch (state.chainStep) {
            case 0:
            case 1:
                TakeSaveSnapshot();
                engine_.flow.gameState = core::kStateMap;
                engine_.flow.subState = 0;
                ++state.chainStep;
                break;
            case 2:
                if (!tables.dateChain[state.chainIndex].empty()) {
                    TakeSaveSnapshot();
                    engine_.flow.gameState = core::kStateDate;
                    engine_.flow.subState = 0;
                    state.chainStep = 3;
                    break;
                }
                // A day without a date screen: straight on to the next story.
                ++state.chainIndex;
                [[fallthrough]];
            default:
                engine_.flow.subState = 0;
                engine_.flow.gameState = core::kStateScript;
                loadChain(state.chainIndex);
                ++state.chainIndex;
                state.chainStep = 0;
                break;
        }
        return Step::kEndTick;
    }
    switch (vars.variables[kRouteVariable]) {
        case 0:
            for (int32_t row = 0; row <= 6; ++row) {
                if (vars.Flag(FlagRow(row), 12)) vars.variables[kRouteVariable] = row + 1;
            }
            engine_.flow.gameState = core::kStateStaffRoll;
            engine_.flow.subState = 0;
            break;
        case 1:
            if (vars.Flag(FlagRow(0), 0)) {
                vars.SetGlobalBit(kFirstEndingBit);
                engine_.flow.gameState = core::kStateEndingPictures;
                engine_.flow.subState = 0;
            } else {
                WriteSystemFile();
                ReturnToTitle();
            }
            break;
        case 2:
        case 3:
        case 4:
            // Routes 2..4 reach the second to fourth ending.
            vars.SetGlobalBit(kFirstEndingBit + 1 + vars.variables[kRouteVariable] - 2);
            engine_.flow.gameState = core::kStateEndingPictures;
            engine_.flow.subState = 0;
            break;
        case 5:
        case 6:
        case 7:
        case 8:
            engine_.flow.gameState = core::kStateEndingPictures;
            engine_.flow.subState = 0;
            break;
        default:  // 9 and anything else
            WriteSystemFile();
            ReturnToTitle();
            break;
    }
    return Step::kEndTick;
}

}  // namespace script
