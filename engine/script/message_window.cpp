#include "engine/script/message_window.h"

#include <algorithm>

#include "engine/script/script_input.h"
#include "engine/sound/sound_mixer.h"
#include "formats/sjis.h"

namespace script {

namespace {

constexpr int kWindowImage = 1;
constexpr int kWaitIconSprite = 256;
constexpr int kWaitIconImage = 64;
constexpr int kNovelWaitIconImage = 66;
constexpr int kWaitIconCell = 24;  // design pixels
constexpr int kWaitIconCells = 8;
constexpr uint32_t kWaitIconCellMs = 100;
constexpr uint32_t kNovelBlinkMs = 500;
constexpr int kFirstChoiceSprite = 64;
constexpr int kLastChoiceSprite = 72;
constexpr size_t kMaxChoiceCaptionBytes = 63;
// Pages beyond this many drop the oldest: a long session would otherwise keep
// every page it ever showed.
constexpr size_t kMaxBacklogPages = 1000;

// Shift-JIS characters in GlyphCell form (first byte low).
constexpr uint16_t Sjis(uint8_t first, uint8_t second) {
    return static_cast<uint16_t>(first | (second << 8));
}
constexpr uint16_t kCloseQuote = Sjis(0x81, 0x76);      // 」
constexpr uint16_t kComma = Sjis(0x81, 0x41);           // 、
constexpr uint16_t kFullStop = Sjis(0x81, 0x42);        // 。
constexpr uint16_t kOpenGuillemet = Sjis(0x81, 0xE1);   // ≪
constexpr uint16_t kCloseGuillemet = Sjis(0x81, 0xE2);  // ≫

// Characters that may hang past the end of a line rather than start the next.
bool Hangs(uint16_t character) {
    return character == kCloseQuote || character == kComma || character == kFullStop;
}

// The window picture's alpha for the transparency setting.
uint8_t WindowAlpha(int32_t setting) {
    switch (setting) {
        case 0:
            return 16;
        case 1:
            return 64;
        case 2:
            return 96;
        case 4:
            return 192;
        default:
            return 128;
    }
}

// The novel page's sprite alpha for the transparency setting.
int32_t NovelAlpha(int32_t setting) {
    static constexpr int32_t kAlphas[] = {0, 64, 96, 128, 192};
    return setting >= 0 && setting <= 4 ? kAlphas[setting] : 128;
}

// Rounded up, so that the design position comes back to the same pixel.
int32_t ScreenToDesignX(int32_t x) {
    return (x * 800 + 319) / 320;
}
int32_t ScreenToDesignY(int32_t y) {
    return (y * 600 + 239) / 240;
}

bool Contains(const gfx::Rect& rect, int32_t x, int32_t y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

}  // namespace

MessageWindow::MessageWindow(const core::EngineServices& game, int dialect,
                             const DataSetTables& tables)
    : game_(game), dialect_(dialect), tables_(tables) {
    if (dialect == 2) {
        windowX_ = 0;
        windowY_ = 0;
        windowWidth_ = 800;
        windowHeight_ = 600;
        originX_ = 24;
        originY_ = 32;
        linesPerPage_ = 24;
        lastPiece_ = 1;
        game.slots.LoadImageSlot(kWindowImage, dialect, "GameData\\char\\back\\black.rbp",
                                 gfx::Keying::kUnkeyed);
        game.slots.CreateSprite(1, kWindowImage, 0, 0, 800, 600, 0, 0, 0, 0, 3);
    } else {
        windowX_ = 20;
        windowY_ = 384;
        windowWidth_ = 760;
        windowHeight_ = 214;
        originX_ = 10;
        originY_ = 58;
        linesPerPage_ = 4;
        lastPiece_ = 6;
        game.slots.LoadImageSlot(kWindowImage, dialect, "GameData\\system\\MESSWIN3.rbp",
                                 gfx::Keying::kKeyed);
        game.slots.CreateSprite(1, kWindowImage, 0, 0, 760, 214, 20, 384, 0, 0, 3);
        game.slots.CreateSprite(2, kWindowImage, 0, 216, 96, 158, 696, 440, 0, 0, 2);
        game.slots.CreateSprite(3, kWindowImage, 96, 296, 72, 24, 720, 440, 0, 0, 1);
        game.slots.CreateSprite(4, kWindowImage, 168, 296, 88, 24, 704, 504, 0, 0, 1);
        game.slots.CreateSprite(5, kWindowImage, 256, 296, 88, 24, 704, 536, 0, 0, 1);
        game.slots.CreateSprite(6, kWindowImage, 344, 296, 88, 24, 664, 568, 0, 0, 1);
    }
    ApplyTransparency(game.settings.messageWindowTrans);
    characterSize_ = 32;
    charactersPerLine_ = 24;
    delayBase_ = 20;
    SetPiecesVisible(false);
    visible_ = false;
    text_.shown = false;
    PenToOrigin();
    game.composition.SetTextLayer(&text_);
}

void MessageWindow::ApplyTransparency(int32_t setting) {
    if (dialect_ == 2) {
        if (core::Sprite* page = game_.slots.SpriteAt(1)) page->SetAlpha(NovelAlpha(setting));
    } else if (gfx::Image* image = game_.slots.ImageAt(kWindowImage)) {
        // Only the pixels that show are changed, so the key stays clear and
        // the setting can be applied again.
        const uint8_t alpha = WindowAlpha(setting);
        image->SetAlphaInRect(0, 0, 760, 214, alpha);
        image->SetAlphaInRect(96, 216, 456, 40, alpha);
    }
    MarkWindowDirty();
}

MessageWindow::~MessageWindow() {
    game_.composition.RemoveTextLayer(&text_);
    text_.shown = false;
    text_.backlogShown = false;
    text_.backlogPage = nullptr;
    for (int sprite = 1; sprite <= 6; ++sprite) game_.slots.DeleteSprite(sprite);
    game_.slots.DeleteSprite(kWaitIconSprite);
    for (int sprite = kFirstChoiceSprite; sprite <= kLastChoiceSprite; ++sprite) {
        game_.slots.DeleteSprite(sprite);
    }
    game_.slots.FreeImageSlot(kWindowImage);
    game_.composition.MarkScreenDirty();
}

// --- visibility

void MessageWindow::SetPiecesVisible(bool shown) {
    for (int sprite = 1; sprite <= lastPiece_; ++sprite) {
        if (core::Sprite* piece = game_.slots.SpriteAt(sprite)) piece->SetVisible(shown);
    }
}

void MessageWindow::Show(bool shown) {
    game_.composition.MarkScreenDirty();
    if (shown == visible_) return;
    visible_ = shown;
    SetPiecesVisible(shown);
    text_.shown = shown;
    hiddenByReader_ = false;
}

void MessageWindow::HideByReader() {
    hiddenByReader_ = true;
    SetPiecesVisible(false);
    if (core::Sprite* icon = game_.slots.SpriteAt(kWaitIconSprite)) icon->SetVisible(false);
    text_.shown = false;
    game_.composition.MarkScreenDirty();
}

void MessageWindow::ShowAfterReader() {
    hiddenByReader_ = false;
    SetPiecesVisible(visible_);
    if (core::Sprite* icon = game_.slots.SpriteAt(kWaitIconSprite)) icon->SetVisible(true);
    text_.shown = visible_;
    game_.composition.MarkScreenDirty();
}

void MessageWindow::MarkWindowDirty() {
    game_.composition.MarkDirty(windowX_, windowY_, windowWidth_, windowHeight_);
}

void MessageWindow::MarkCellsDirty(size_t first, size_t last) {
    if (first >= last || last > text_.cells.size()) return;
    gfx::Rect box = {text_.cells[first].left, text_.cells[first].top, text_.cells[first].right,
                     text_.cells[first].bottom};
    for (size_t i = first + 1; i < last; ++i) {
        const gfx::GlyphCell& cell = text_.cells[i];
        box = {std::min(box.left, cell.left), std::min(box.top, cell.top),
               std::max(box.right, cell.right), std::max(box.bottom, cell.bottom)};
    }
    game_.composition.MarkScreenRectDirty(box);
}

// --- typing

void MessageWindow::PenToOrigin() {
    pen_.x = gfx::DesignToScreenX(windowX_) + gfx::DesignToScreenX(originX_);
    pen_.y = gfx::DesignToScreenY(windowY_) + gfx::DesignToScreenY(originY_);
    pen_.column = 0;
    pen_.line = 0;
}

void MessageWindow::NewLine() {
    pen_.x = gfx::DesignToScreenX(windowX_) + gfx::DesignToScreenX(originX_);
    pen_.y += CharacterScreenSize() + lineSpacing_;
    pen_.column = 0;
    ++pen_.line;
}

void MessageWindow::PlaceCharacter(uint16_t character, uint32_t colour) {
    if (pen_.column >= charactersPerLine_ && !Hangs(character)) NewLine();
    const int32_t size = CharacterScreenSize();
    if (text_.cells.size() < static_cast<size_t>(kMaxCells)) {
        gfx::GlyphCell cell;
        cell.state = 1;
        cell.character = character;
        cell.size = size;
        cell.colour = colour;
        cell.left = pen_.x;
        cell.top = pen_.y;
        cell.right = pen_.x + size;
        cell.bottom = pen_.y + size;
        text_.cells.push_back(cell);
        game_.composition.MarkScreenRectDirty(
            gfx::Rect{cell.left, cell.top, cell.right, cell.bottom});
    }
    pen_.x += size + characterSpacing_;
    ++pen_.column;
}

void MessageWindow::TypePlayerName() {
    const std::string& name =
        game_.settings.playerName.empty() ? tables_.defaultPlayerName : game_.settings.playerName;
    size_t position = 0;
    uint16_t character = 0;
    bool twoByte = false;
    while (gfx::NextSjisCharacter(name, &position, &character, &twoByte)) {
        PlaceCharacter(character, textColour_);
    }
}

bool MessageWindow::TypeText(std::string_view message, size_t* position, uint32_t delay,
                             uint32_t now) {
    const std::string& token = tables_.nameToken;
    for (;;) {
        if (*position >= message.size() || message[*position] == 0) return true;
        const uint8_t byte = static_cast<uint8_t>(message[*position]);
        if (byte == ' ') {
            ++*position;
            continue;
        }
        if (byte == '@') {
            ++*position;
            // The byte after it belongs to the mark, unless the text ends there.
            if (*position < message.size() && message[*position] != 0) ++*position;
            continue;
        }
        if (formats::IsSjisLead(byte) && *position + 1 < message.size()) {
            const uint16_t pair = Sjis(byte, static_cast<uint8_t>(message[*position + 1]));
            if (pair == kOpenGuillemet || pair == kCloseGuillemet) {
                *position += 2;
                continue;
            }
        }
        if (!token.empty() && message.substr(*position).starts_with(token)) {
            TypePlayerName();
            *position += token.size();
            continue;
        }
        if (now - lastCharacterTime_ < delay) return false;
        uint16_t character = 0;
        bool twoByte = false;
        if (!gfx::NextSjisCharacter(message, position, &character, &twoByte)) return true;
        PlaceCharacter(character, textColour_);
        lastCharacterTime_ += delay;
    }
}

bool MessageWindow::ShowMessage(std::string_view message, bool firstRun) {
    const uint32_t now = game_.timers.Now();
    if (firstRun) {
        textColour_ = kTextWhite;
        typed_ = 0;
        lastCharacterTime_ = now;
    } else if (hiddenByReader_ || backlogMode_) {
        return false;
    }
    uint32_t delay = delayBase_ * static_cast<uint32_t>(std::max(game_.settings.messageSpeed, 0));
    if (namePlateMode_ || Skipping(game_)) delay = 0;
    if (ConfirmLatched(game_)) {
        // The rest of the page at once; the press must not also end the page.
        delay = 0;
        ClearConfirm(game_);
    }
    typed_ = std::min(typed_, message.size());
    return TypeText(message, &typed_, delay, now) ? 1 : 0;
}

void MessageWindow::ShowNamePlate(std::string_view plate) {
    const int32_t savedOriginX = originX_;
    const int32_t savedOriginY = originY_;
    const Pen savedPen = pen_;
    originX_ = 24;
    originY_ = 12;
    PenToOrigin();
    namePlateMode_ = true;
    size_t position = 0;
    TypeText(plate, &position, 0, game_.timers.Now());
    namePlateMode_ = false;
    originX_ = savedOriginX;
    originY_ = savedOriginY;
    pen_ = savedPen;
}

persist::WindowSnapshot MessageWindow::Snapshot() const {
    persist::WindowSnapshot snapshot;
    snapshot.exists = true;
    snapshot.visible = visible_;
    snapshot.penX = pen_.x;
    snapshot.penY = pen_.y;
    snapshot.column = pen_.column;
    snapshot.line = pen_.line;
    snapshot.textColour = textColour_;
    snapshot.voicePath = voicePath_;
    for (const gfx::GlyphCell& cell : text_.cells) {
        snapshot.cells.push_back(persist::WindowCellSnapshot{
            cell.character, cell.left, cell.top, cell.right, cell.bottom, cell.colour, true});
    }
    return snapshot;
}

void MessageWindow::Restore(const persist::WindowSnapshot& snapshot) {
    ClearPage();
    for (const persist::WindowCellSnapshot& saved : snapshot.cells) {
        if (text_.cells.size() >= static_cast<size_t>(kMaxCells)) break;
        gfx::GlyphCell cell;
        cell.state = 1;
        cell.character = saved.code;
        cell.size = saved.right - saved.left;
        cell.colour = saved.colour;
        cell.left = saved.left;
        cell.top = saved.top;
        cell.right = saved.right;
        cell.bottom = saved.bottom;
        text_.cells.push_back(cell);
    }
    pen_.x = snapshot.penX;
    pen_.y = snapshot.penY;
    pen_.column = snapshot.column;
    pen_.line = snapshot.line;
    textColour_ = snapshot.textColour;
    voicePath_ = snapshot.voicePath;
    Show(snapshot.visible);
}

void MessageWindow::ClearPage() {
    MarkCellsDirty(0, text_.cells.size());
    text_.cells.clear();
    PenToOrigin();
}

// --- page wait

bool MessageWindow::VoicePlaying() const {
    return game_.sound.Mixer() && game_.sound.Mixer()->EffectPositionMs(kVoiceChannel) >= 0;
}

void MessageWindow::ShowWaitIcon(bool novel, int clearFlag) {
    const uint32_t now = game_.timers.Now();
    if (novel) {
        const int32_t sourceX = kWaitIconCell * clearFlag;
        game_.slots.CreateSprite(kWaitIconSprite, kNovelWaitIconImage, sourceX, 0, kWaitIconCell,
                                 kWaitIconCell, ScreenToDesignX(pen_.x), ScreenToDesignY(pen_.y), 0,
                                 0, 1);
        core::Sprite* icon = game_.slots.SpriteAt(kWaitIconSprite);
        if (icon == nullptr) return;
        // Blinks by standing 800 design pixels aside, off the screen, every other half second.
        icon->DefineCell(0, 1, kNovelBlinkMs, kNovelWaitIconImage, sourceX, 0, kWaitIconCell,
                         kWaitIconCell, 0, 0, 0);
        icon->DefineCell(1, 0, kNovelBlinkMs, kNovelWaitIconImage, sourceX, 0, kWaitIconCell,
                         kWaitIconCell, 800, 0);
        icon->SetIgnoreScreenBrightness(true);
        icon->StartAnimation(0, now);
        return;
    }
    game_.slots.CreateSprite(kWaitIconSprite, kWaitIconImage, 0, 0, kWaitIconCell, kWaitIconCell,
                             672, 544, 0, 0, 1);
    core::Sprite* icon = game_.slots.SpriteAt(kWaitIconSprite);
    if (icon == nullptr) return;
    for (int cell = 0; cell < kWaitIconCells; ++cell) {
        icon->DefineCell(cell, (cell + 1) % kWaitIconCells, kWaitIconCellMs, kWaitIconImage,
                         kWaitIconCell * cell, 0, kWaitIconCell, kWaitIconCell, 0, 0,
                         cell == 0 ? 0 : -1);
    }
    icon->SetIgnoreScreenBrightness(true);
    icon->StartAnimation(0, now);
}

void MessageWindow::ShowBacklogPage(size_t position) {
    backlogPosition_ = position;
    text_.backlogShown = true;
    text_.backlogPage = &backlog_[position].cells;
    if (game_.sound.Mixer()) game_.sound.Mixer()->StopEffect(kVoiceChannel);
    const std::string& voice = backlog_[position].voicePath;
    if (game_.sound.Mixer() && !voice.empty() && game_.settings.voicePlay > 1 &&
        game_.settings.messageVoiceReplay != 0) {
        const std::string& folder = game_.data.DataFolders()[core::kLocationVoice0 + dialect_];
        if (game_.sound.Mixer()->LoadEffect(kVoiceChannel, voice, folder,
                                            ScaledVolume(game_, game_.settings.voiceVolume))) {
            game_.sound.Mixer()->PlayEffect(kVoiceChannel, 0);
        }
    }
    MarkWindowDirty();
}

void MessageWindow::EnterBacklog() {
    backlogMode_ = true;
    ShowBacklogPage(backlog_.size() - 1);
}

void MessageWindow::LeaveBacklog() {
    backlogMode_ = false;
    text_.backlogShown = false;
    text_.backlogPage = nullptr;
    MarkWindowDirty();
}

void MessageWindow::EndPage(const PageWaitContext& context, bool novel, int clearFlag) {
    const bool store = !novel || context.record == 6;
    if (store && game_.settings.backlogRecording) {
        backlog_.push_back(BacklogPage{text_.cells, voicePath_});
        if (backlog_.size() > kMaxBacklogPages) backlog_.erase(backlog_.begin());
        voicePath_.clear();
    }
    if (game_.sound.Mixer()) {
        game_.sound.Mixer()->StopEffect(kVoiceChannel);
        game_.sound.Mixer()->StopEffect(kSecondVoiceChannel);
    }
    if (!novel || clearFlag == 1) {
        ClearPage();
        game_.composition.MarkScreenDirty();
    } else if (context.record == 4) {
        NewLine();
    }
    if (context.record == 8) Show(false);
    game_.slots.DeleteSprite(kWaitIconSprite);
}

bool MessageWindow::RunPageWait(const PageWaitContext& context, bool novel, int clearFlag) {
    core::InputState& input = game_.input;
    core::Settings& settings = game_.settings;

    // Quick save and quick load on the centre key.
    if (input.centre == 1 && !context.firstRun &&
        (settings.centreKeyControl == 4 || settings.centreKeyControl == 5)) {
        input.centre = 0;
        const auto& action = settings.centreKeyControl == 4 ? context.quickSave : context.quickLoad;
        if (action) action();
        return false;
    }
    // An unread message stops skipping when only read ones may be skipped.
    if (settings.readSkip != 0 && !context.messageRead) settings.skipMode = false;

    const uint32_t now = game_.timers.Now();
    if (context.firstRun) {
        ShowWaitIcon(novel, clearFlag);
        pageEndTime_ = now;
    }

    if (backlogMode_) {
        if (input.up == 1) {
            input.up = 0;
            if (backlogPosition_ > 0) ShowBacklogPage(backlogPosition_ - 1);
        } else if (input.down == 1) {
            input.down = 0;
            if (backlogPosition_ + 1 < backlog_.size()) {
                ShowBacklogPage(backlogPosition_ + 1);
            } else {
                if (game_.sound.Mixer()) game_.sound.Mixer()->StopEffect(kVoiceChannel);
                LeaveBacklog();
                return false;
            }
        }
        if (ConfirmLatched(game_)) {
            ClearConfirm(game_);
            LeaveBacklog();
        } else if (input.keyA == 1) {
            input.keyA = 0;
            LeaveBacklog();
            HideByReader();
        }
        return false;
    }

    if (hiddenByReader_) {
        if (ConfirmLatched(game_) || input.keyA == 1) {
            ClearConfirm(game_);
            input.keyA = 0;
            ShowAfterReader();
        }
        return false;
    }

    const bool mayAdvanceBySkip = context.messageRead || settings.readSkip == 0;
    if (ConfirmLatched(game_) || (mayAdvanceBySkip && Skipping(game_))) {
        ClearConfirm(game_);
        EndPage(context, novel, clearFlag);
        return true;
    }

    if (settings.messageAuto > 0) {
        if (VoicePlaying()) {
            pageEndTime_ = now;  // the wait starts when the voice has finished
        } else if (int64_t{now - pageEndTime_} >= int64_t{settings.messageAuto} * 500 - 500) {
            EndPage(context, novel, clearFlag);
            return true;
        }
    }

    if (input.centre == 1) {
        input.centre = 0;
        if (settings.centreKeyControl == 2) {
            HideByReader();
        } else if (settings.centreKeyControl == 3 && !backlog_.empty()) {
            EnterBacklog();
        }
    } else if (input.keyA == 1) {
        input.keyA = 0;
        if (!backlog_.empty()) {
            EnterBacklog();
        } else {
            HideByReader();
        }
    }
    return false;
}

bool MessageWindow::PageWait(const PageWaitContext& context) {
    return RunPageWait(context, false, 0);
}

bool MessageWindow::PageWaitNovel(const PageWaitContext& context, int clearFlag) {
    return RunPageWait(context, true, clearFlag);
}

// --- dialect 2's choice list

void MessageWindow::AddChoiceEntry(std::string_view caption, int32_t targetKey) {
    if (choices_.size() >= static_cast<size_t>(kMaxChoices)) return;
    // Cut to the caption field without splitting a double-byte character.
    size_t length = 0;
    size_t position = 0;
    uint16_t character = 0;
    bool twoByte = false;
    while (gfx::NextSjisCharacter(caption, &position, &character, &twoByte) &&
           position <= kMaxChoiceCaptionBytes) {
        length = position;
    }
    ChoiceEntry entry;
    entry.caption = std::string(caption.substr(0, length));
    entry.targetKey = targetKey;
    choices_.push_back(std::move(entry));
}

void MessageWindow::RemoveChoiceCells() {
    if (!choicesLaidOut_) return;
    const size_t first = std::min(
        choices_.empty() ? text_.cells.size() : choices_.front().firstCell, text_.cells.size());
    MarkCellsDirty(first, text_.cells.size());
    for (const ChoiceEntry& entry : choices_) game_.composition.MarkScreenRectDirty(entry.rect);
    text_.cells.erase(text_.cells.begin() + static_cast<ptrdiff_t>(first), text_.cells.end());
    pen_ = choicePen_;
    choicesLaidOut_ = false;
}

void MessageWindow::ColourChoices() {
    for (size_t i = 0; i < choices_.size(); ++i) {
        const uint32_t colour =
            static_cast<int>(i) == choiceSelection_ ? kChoiceSelectedColour : kChoiceNormalColour;
        ChoiceEntry& entry = choices_[i];
        for (size_t c = entry.firstCell; c < entry.lastCell && c < text_.cells.size(); ++c) {
            text_.cells[c].colour = colour;
        }
        // The old ink must go before the new colour is drawn.
        game_.composition.MarkScreenRectDirty(entry.rect);
    }
}

int MessageWindow::RunChoiceList(bool firstRun, int32_t* targetKey) {
    if (firstRun) {
        RemoveChoiceCells();
        choicePen_ = pen_;
        if (pen_.column != 0) NewLine();
        for (ChoiceEntry& entry : choices_) {
            entry.firstCell = text_.cells.size();
            const Pen start = pen_;
            size_t position = 0;
            uint16_t character = 0;
            bool twoByte = false;
            while (gfx::NextSjisCharacter(entry.caption, &position, &character, &twoByte)) {
                PlaceCharacter(character, kChoiceNormalColour);
            }
            entry.lastCell = text_.cells.size();
            // The box of the entry's text; an entry that wrapped spans its lines.
            const int32_t size = CharacterScreenSize();
            const int32_t right = pen_.line == start.line
                                      ? std::max(pen_.x, start.x + size)
                                      : start.x + charactersPerLine_ * (size + characterSpacing_);
            entry.rect = gfx::Rect{start.x, start.y, right, pen_.y + size};
            NewLine();
        }
        choicesLaidOut_ = true;
        choiceSelection_ = -1;
        return 0;
    }
    if (hiddenByReader_ || backlogMode_ || choices_.empty()) return 0;

    core::InputState& input = game_.input;
    const int count = static_cast<int>(choices_.size());
    int selection = choiceSelection_;
    if (input.up == 1) {
        input.up = 0;
        selection = selection <= 0 ? count - 1 : selection - 1;
    } else if (input.down == 1) {
        input.down = 0;
        selection = selection < 0 || selection >= count - 1 ? 0 : selection + 1;
    } else if (input.tap) {
        selection = -1;
        for (int i = 0; i < count; ++i) {
            if (Contains(choices_[i].rect, input.stylusX, input.stylusY)) selection = i;
        }
    }
    if (selection != choiceSelection_) {
        choiceSelection_ = selection;
        ColourChoices();
    }
    if (!ConfirmLatched(game_)) return 0;
    ClearConfirm(game_);
    if (choiceSelection_ < 0) return 0;
    const int picked = choiceSelection_;
    if (targetKey != nullptr) *targetKey = choices_[picked].targetKey;
    RemoveChoiceCells();
    choices_.clear();
    choiceSelection_ = -1;
    return picked + 1;
}

void MessageWindow::ClearChoiceList() {
    RemoveChoiceCells();
    choices_.clear();
    choiceSelection_ = -1;
}

}  // namespace script
