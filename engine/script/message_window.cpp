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
    : game(game), dialect(dialect), tables(tables) {
    if (dialect == 2) {
        windowX = 0;
        windowY = 0;
        windowWidth = 800;
        windowHeight = 600;
        originX = 24;
        originY = 32;
        linesPerPage = 24;
        lastPiece = 1;
        game.slots.LoadImageSlot(kWindowImage, dialect, "GameData\\char\\back\\black.rbp",
                                 gfx::Keying::kUnkeyed);
        game.slots.CreateSprite(1, kWindowImage, 0, 0, 800, 600, 0, 0, 0, 0, 3);
        if (core::Sprite* page = game.slots.SpriteAt(1)) {
            page->SetAlpha(NovelAlpha(game.settings.messageWindowTrans));
        }
    } else {
        windowX = 20;
        windowY = 384;
        windowWidth = 760;
        windowHeight = 214;
        originX = 10;
        originY = 58;
        linesPerPage = 4;
        lastPiece = 6;
        if (game.slots.LoadImageSlot(kWindowImage, dialect, "GameData\\system\\MESSWIN3.rbp",
                                     gfx::Keying::kKeyed)) {
            gfx::Image* image = game.slots.ImageAt(kWindowImage);
            const uint8_t alpha = WindowAlpha(game.settings.messageWindowTrans);
            image->SetAlphaInRect(0, 0, 760, 214, alpha);
            image->SetAlphaInRect(96, 216, 456, 40, alpha);
        }
        game.slots.CreateSprite(1, kWindowImage, 0, 0, 760, 214, 20, 384, 0, 0, 3);
        game.slots.CreateSprite(2, kWindowImage, 0, 216, 96, 158, 696, 440, 0, 0, 2);
        game.slots.CreateSprite(3, kWindowImage, 96, 296, 72, 24, 720, 440, 0, 0, 1);
        game.slots.CreateSprite(4, kWindowImage, 168, 296, 88, 24, 704, 504, 0, 0, 1);
        game.slots.CreateSprite(5, kWindowImage, 256, 296, 88, 24, 704, 536, 0, 0, 1);
        game.slots.CreateSprite(6, kWindowImage, 344, 296, 88, 24, 664, 568, 0, 0, 1);
    }
    characterSize = 32;
    charactersPerLine = 24;
    delayBase = 20;
    SetPiecesVisible(false);
    visible = false;
    text.shown = false;
    PenToOrigin();
    game.composition.SetTextLayer(&text);
}

MessageWindow::~MessageWindow() {
    game.composition.RemoveTextLayer(&text);
    text.shown = false;
    text.backlogShown = false;
    text.backlogPage = nullptr;
    for (int sprite = 1; sprite <= 6; ++sprite) game.slots.DeleteSprite(sprite);
    game.slots.DeleteSprite(kWaitIconSprite);
    for (int sprite = kFirstChoiceSprite; sprite <= kLastChoiceSprite; ++sprite) {
        game.slots.DeleteSprite(sprite);
    }
    game.slots.FreeImageSlot(kWindowImage);
    game.composition.MarkScreenDirty();
}

// --- visibility

void MessageWindow::SetPiecesVisible(bool shown) {
    for (int sprite = 1; sprite <= lastPiece; ++sprite) {
        if (core::Sprite* piece = game.slots.SpriteAt(sprite)) piece->SetVisible(shown);
    }
}

void MessageWindow::Show(bool shown) {
    game.composition.MarkScreenDirty();
    if (shown == visible) return;
    visible = shown;
    SetPiecesVisible(shown);
    text.shown = shown;
    hiddenByReader = false;
}

void MessageWindow::HideByReader() {
    hiddenByReader = true;
    SetPiecesVisible(false);
    if (core::Sprite* icon = game.slots.SpriteAt(kWaitIconSprite)) icon->SetVisible(false);
    text.shown = false;
    game.composition.MarkScreenDirty();
}

void MessageWindow::ShowAfterReader() {
    hiddenByReader = false;
    SetPiecesVisible(visible);
    if (core::Sprite* icon = game.slots.SpriteAt(kWaitIconSprite)) icon->SetVisible(true);
    text.shown = visible;
    game.composition.MarkScreenDirty();
}

void MessageWindow::MarkWindowDirty() {
    game.composition.MarkDirty(windowX, windowY, windowWidth, windowHeight);
}

void MessageWindow::MarkCellsDirty(size_t first, size_t last) {
    if (first >= last || last > text.cells.size()) return;
    gfx::Rect box = {text.cells[first].left, text.cells[first].top, text.cells[first].right,
                     text.cells[first].bottom};
    for (size_t i = first + 1; i < last; ++i) {
        const gfx::GlyphCell& cell = text.cells[i];
        box = {std::min(box.left, cell.left), std::min(box.top, cell.top),
               std::max(box.right, cell.right), std::max(box.bottom, cell.bottom)};
    }
    game.composition.MarkScreenRectDirty(box);
}

// --- typing

void MessageWindow::PenToOrigin() {
    pen.x = gfx::DesignToScreenX(windowX) + gfx::DesignToScreenX(originX);
    pen.y = gfx::DesignToScreenY(windowY) + gfx::DesignToScreenY(originY);
    pen.column = 0;
    pen.line = 0;
}

void MessageWindow::NewLine() {
    pen.x = gfx::DesignToScreenX(windowX) + gfx::DesignToScreenX(originX);
    pen.y += CharacterScreenSize() + lineSpacing;
    pen.column = 0;
    ++pen.line;
}

void MessageWindow::PlaceCharacter(uint16_t character, uint32_t colour) {
    if (pen.column >= charactersPerLine && !Hangs(character)) NewLine();
    const int32_t size = CharacterScreenSize();
    if (text.cells.size() < static_cast<size_t>(kMaxCells)) {
        gfx::GlyphCell cell;
        cell.state = 1;
        cell.character = character;
        cell.size = size;
        cell.colour = colour;
        cell.left = pen.x;
        cell.top = pen.y;
        cell.right = pen.x + size;
        cell.bottom = pen.y + size;
        text.cells.push_back(cell);
        game.composition.MarkScreenRectDirty(
            gfx::Rect{cell.left, cell.top, cell.right, cell.bottom});
    }
    pen.x += size + characterSpacing;
    ++pen.column;
}

void MessageWindow::TypePlayerName() {
    const std::string& name =
        game.settings.playerName.empty() ? tables.defaultPlayerName : game.settings.playerName;
    size_t position = 0;
    uint16_t character = 0;
    bool twoByte = false;
    while (gfx::NextSjisCharacter(name, &position, &character, &twoByte)) {
        PlaceCharacter(character, textColour);
    }
}

bool MessageWindow::TypeText(std::string_view message, size_t* position, uint32_t delay,
                             uint32_t now) {
    const std::string& token = tables.nameToken;
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
        if (now - lastCharacterTime < delay) return false;
        uint16_t character = 0;
        bool twoByte = false;
        if (!gfx::NextSjisCharacter(message, position, &character, &twoByte)) return true;
        PlaceCharacter(character, textColour);
        lastCharacterTime += delay;
    }
}

bool MessageWindow::ShowMessage(std::string_view message, bool firstRun) {
    const uint32_t now = game.timers.Now();
    if (firstRun) {
        textColour = kTextWhite;
        typed = 0;
        lastCharacterTime = now;
    } else if (hiddenByReader || backlogMode) {
        return false;
    }
    uint32_t delay = delayBase * static_cast<uint32_t>(std::max(game.settings.messageSpeed, 0));
    if (namePlateMode || Skipping(game)) delay = 0;
    if (ConfirmLatched(game)) {
        // The rest of the page at once; the press must not also end the page.
        delay = 0;
        ClearConfirm(game);
    }
    typed = std::min(typed, message.size());
    return TypeText(message, &typed, delay, now) ? 1 : 0;
}

void MessageWindow::ShowNamePlate(std::string_view plate) {
    const int32_t savedOriginX = originX;
    const int32_t savedOriginY = originY;
    const Pen savedPen = pen;
    originX = 24;
    originY = 12;
    PenToOrigin();
    namePlateMode = true;
    size_t position = 0;
    TypeText(plate, &position, 0, game.timers.Now());
    namePlateMode = false;
    originX = savedOriginX;
    originY = savedOriginY;
    pen = savedPen;
}

void MessageWindow::ClearPage() {
    MarkCellsDirty(0, text.cells.size());
    text.cells.clear();
    PenToOrigin();
}

// --- page wait

bool MessageWindow::VoicePlaying() const {
    return game.sound.Mixer() && game.sound.Mixer()->EffectPositionMs(kVoiceChannel) >= 0;
}

void MessageWindow::ShowWaitIcon(bool novel, int clearFlag) {
    const uint32_t now = game.timers.Now();
    if (novel) {
        const int32_t sourceX = kWaitIconCell * clearFlag;
        game.slots.CreateSprite(kWaitIconSprite, kNovelWaitIconImage, sourceX, 0, kWaitIconCell,
                                kWaitIconCell, ScreenToDesignX(pen.x), ScreenToDesignY(pen.y), 0, 0,
                                1);
        core::Sprite* icon = game.slots.SpriteAt(kWaitIconSprite);
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
    game.slots.CreateSprite(kWaitIconSprite, kWaitIconImage, 0, 0, kWaitIconCell, kWaitIconCell,
                            672, 544, 0, 0, 1);
    core::Sprite* icon = game.slots.SpriteAt(kWaitIconSprite);
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
    backlogPosition = position;
    text.backlogShown = true;
    text.backlogPage = &backlog[position].cells;
    if (game.sound.Mixer()) game.sound.Mixer()->StopEffect(kVoiceChannel);
    const std::string& voice = backlog[position].voicePath;
    if (game.sound.Mixer() && !voice.empty() && game.settings.voicePlay > 1 &&
        game.settings.messageVoiceReplay != 0) {
        const std::string& folder = game.data.DataFolders()[core::kLocationVoice0 + dialect];
        if (game.sound.Mixer()->LoadEffect(kVoiceChannel, voice, folder,
                                           ScaledVolume(game, game.settings.voiceVolume))) {
            game.sound.Mixer()->PlayEffect(kVoiceChannel, 0);
        }
    }
    MarkWindowDirty();
}

void MessageWindow::EnterBacklog() {
    backlogMode = true;
    ShowBacklogPage(backlog.size() - 1);
}

void MessageWindow::LeaveBacklog() {
    backlogMode = false;
    text.backlogShown = false;
    text.backlogPage = nullptr;
    MarkWindowDirty();
}

void MessageWindow::EndPage(const PageWaitContext& context, bool novel, int clearFlag) {
    const bool store = !novel || context.record == 6;
    if (store && game.settings.backlogRecording) {
        backlog.push_back(BacklogPage{text.cells, voicePath});
        if (backlog.size() > kMaxBacklogPages) backlog.erase(backlog.begin());
        voicePath.clear();
    }
    if (game.sound.Mixer()) {
        game.sound.Mixer()->StopEffect(kVoiceChannel);
        game.sound.Mixer()->StopEffect(kSecondVoiceChannel);
    }
    if (!novel || clearFlag == 1) {
        ClearPage();
        game.composition.MarkScreenDirty();
    } else if (context.record == 4) {
        NewLine();
    }
    if (context.record == 8) Show(false);
    game.slots.DeleteSprite(kWaitIconSprite);
}

bool MessageWindow::RunPageWait(const PageWaitContext& context, bool novel, int clearFlag) {
    core::InputState& input = game.input;
    core::Settings& settings = game.settings;

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

    const uint32_t now = game.timers.Now();
    if (context.firstRun) {
        ShowWaitIcon(novel, clearFlag);
        pageEndTime = now;
    }

    if (backlogMode) {
        if (input.up == 1) {
            input.up = 0;
            if (backlogPosition > 0) ShowBacklogPage(backlogPosition - 1);
        } else if (input.down == 1) {
            input.down = 0;
            if (backlogPosition + 1 < backlog.size()) {
                ShowBacklogPage(backlogPosition + 1);
            } else {
                if (game.sound.Mixer()) game.sound.Mixer()->StopEffect(kVoiceChannel);
                LeaveBacklog();
                return false;
            }
        }
        if (ConfirmLatched(game)) {
            ClearConfirm(game);
            LeaveBacklog();
        } else if (input.keyA == 1) {
            input.keyA = 0;
            LeaveBacklog();
            HideByReader();
        }
        return false;
    }

    if (hiddenByReader) {
        if (ConfirmLatched(game) || input.keyA == 1) {
            ClearConfirm(game);
            input.keyA = 0;
            ShowAfterReader();
        }
        return false;
    }

    const bool mayAdvanceBySkip = context.messageRead || settings.readSkip == 0;
    if (ConfirmLatched(game) || (mayAdvanceBySkip && Skipping(game))) {
        ClearConfirm(game);
        EndPage(context, novel, clearFlag);
        return true;
    }

    if (settings.messageAuto > 0) {
        if (VoicePlaying()) {
            pageEndTime = now;  // the wait starts when the voice has finished
        } else if (int64_t{now - pageEndTime} >= int64_t{settings.messageAuto} * 500 - 500) {
            EndPage(context, novel, clearFlag);
            return true;
        }
    }

    if (input.centre == 1) {
        input.centre = 0;
        if (settings.centreKeyControl == 2) {
            HideByReader();
        } else if (settings.centreKeyControl == 3 && !backlog.empty()) {
            EnterBacklog();
        }
    } else if (input.keyA == 1) {
        input.keyA = 0;
        if (!backlog.empty()) {
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
    if (choices.size() >= static_cast<size_t>(kMaxChoices)) return;
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
    choices.push_back(std::move(entry));
}

void MessageWindow::RemoveChoiceCells() {
    if (!choicesLaidOut) return;
    const size_t first = std::min(choices.empty() ? text.cells.size() : choices.front().firstCell,
                                  text.cells.size());
    MarkCellsDirty(first, text.cells.size());
    for (const ChoiceEntry& entry : choices) game.composition.MarkScreenRectDirty(entry.rect);
    text.cells.erase(text.cells.begin() + static_cast<ptrdiff_t>(first), text.cells.end());
    pen = choicePen;
    choicesLaidOut = false;
}

void MessageWindow::ColourChoices() {
    for (size_t i = 0; i < choices.size(); ++i) {
        const uint32_t colour =
            static_cast<int>(i) == choiceSelection ? kChoiceSelectedColour : kChoiceNormalColour;
        ChoiceEntry& entry = choices[i];
        for (size_t c = entry.firstCell; c < entry.lastCell && c < text.cells.size(); ++c) {
            text.cells[c].colour = colour;
        }
        // The old ink must go before the new colour is drawn.
        game.composition.MarkScreenRectDirty(entry.rect);
    }
}

int MessageWindow::RunChoiceList(bool firstRun, int32_t* targetKey) {
    if (firstRun) {
        RemoveChoiceCells();
        choicePen = pen;
        if (pen.column != 0) NewLine();
        for (ChoiceEntry& entry : choices) {
            entry.firstCell = text.cells.size();
            const Pen start = pen;
            size_t position = 0;
            uint16_t character = 0;
            bool twoByte = false;
            while (gfx::NextSjisCharacter(entry.caption, &position, &character, &twoByte)) {
                PlaceCharacter(character, kChoiceNormalColour);
            }
            entry.lastCell = text.cells.size();
            // The box of the entry's text; an entry that wrapped spans its lines.
            const int32_t size = CharacterScreenSize();
            const int32_t right = pen.line == start.line
                                      ? std::max(pen.x, start.x + size)
                                      : start.x + charactersPerLine * (size + characterSpacing);
            entry.rect = gfx::Rect{start.x, start.y, right, pen.y + size};
            NewLine();
        }
        choicesLaidOut = true;
        choiceSelection = -1;
        return 0;
    }
    if (hiddenByReader || backlogMode || choices.empty()) return 0;

    core::InputState& input = game.input;
    const int count = static_cast<int>(choices.size());
    int selection = choiceSelection;
    if (input.up == 1) {
        input.up = 0;
        selection = selection <= 0 ? count - 1 : selection - 1;
    } else if (input.down == 1) {
        input.down = 0;
        selection = selection < 0 || selection >= count - 1 ? 0 : selection + 1;
    } else if (input.tap) {
        selection = -1;
        for (int i = 0; i < count; ++i) {
            if (Contains(choices[i].rect, input.stylusX, input.stylusY)) selection = i;
        }
    }
    if (selection != choiceSelection) {
        choiceSelection = selection;
        ColourChoices();
    }
    if (!ConfirmLatched(game)) return 0;
    ClearConfirm(game);
    if (choiceSelection < 0) return 0;
    const int picked = choiceSelection;
    if (targetKey != nullptr) *targetKey = choices[picked].targetKey;
    RemoveChoiceCells();
    choices.clear();
    choiceSelection = -1;
    return picked + 1;
}

void MessageWindow::ClearChoiceList() {
    RemoveChoiceCells();
    choices.clear();
    choiceSelection = -1;
}

}  // namespace script
