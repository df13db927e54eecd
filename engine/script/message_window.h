#pragma once
// The message window: types the story's text character by character into
// glyph cells, holds the page at its end until the reader goes on (with
// hiding, the backlog and its voice replay, skipping and automatic advance),
// shows the speaker's name plate, and in dialect 2 the choice list. Dialects
// 0 and 1 use a window at the foot of the screen, dialect 2 a full-screen
// novel page.
//
// Sprites 1..6 and image 1 are the window's pieces, sprite 256 the wait
// icon (image 64, or 66 in dialect 2). Game thread only.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/services.h"
#include "engine/gfx/rect.h"
#include "engine/gfx/text_layer.h"
#include "engine/persist/slot_record.h"
#include "engine/script/data_set_tables.h"

namespace script {

inline constexpr int kMaxCells = 256;
inline constexpr uint32_t kTextWhite = 0xFFFFFF;
inline constexpr uint32_t kChoiceSelectedColour = 0xFF00FF;
inline constexpr uint32_t kChoiceNormalColour = 0x00FFFF;
inline constexpr int kMaxChoices = 4;

// The mixer's channels as the story uses them.
inline constexpr int kVoiceChannel = 0;
inline constexpr int kSecondVoiceChannel = 1;  // also dialects 1 and 2's effects
inline constexpr int kEffectChannel = 2;       // dialect 0's effects

struct BacklogPage {
    std::vector<gfx::GlyphCell> cells;
    std::string voicePath;  // Shift-JIS, empty without a voice
};

// What a page wait needs to know of the running story.
struct PageWaitContext {
    int record = 4;            // the page-wait record: 4, 6 (dialect 2) or 8
    bool firstRun = false;     // the record runs for the first time
    bool messageRead = false;  // the current message was read before
    // Centre-key settings 4 and 5 (quick save, quick load); may be empty.
    std::function<void()> quickSave;
    std::function<void()> quickLoad;
};

class MessageWindow {
public:
    // Builds the window for the dialect (0..2): loads its picture into image
    // 1 and creates its sprites, hidden. A failed load sets the engine's
    // error word, as every image load does.
    MessageWindow(const core::EngineServices& game, int dialect, const DataSetTables& tables);
    // Removes sprites 1..6, 256 and the choice sprites, frees image 1.
    ~MessageWindow();
    MessageWindow(const MessageWindow&) = delete;
    MessageWindow& operator=(const MessageWindow&) = delete;

    // Marks the whole screen dirty; when the visibility changes, shows or
    // hides the pieces and the cells, records it (Visible()) and clears hidden-by-reader.
    void Show(bool visible);
    bool Visible() const { return visible_; }
    bool HiddenByReader() const { return hiddenByReader_; }
    bool InBacklog() const { return backlogMode_; }

    // Types the text (Shift-JIS, display order). firstRun starts it; later
    // calls go on typing. True when all of it is shown.
    bool ShowMessage(std::string_view text, bool firstRun);
    // The speaker's name, typed at once at its own origin.
    void ShowNamePlate(std::string_view text);
    // The window's see-through level of setting MESSAGE_WIN_TRANS (0..4), at
    // once.
    void ApplyTransparency(int32_t setting);
    // Removes all cells and puts the pen back at the text origin.
    void ClearPage();

    // Dialects 0 and 1 (records 4 and 8). True when the page ended: the caller
    // continues at the next record. False while waiting (also after a quick save
    // or load).
    bool PageWait(const PageWaitContext& context);
    // Dialect 2 (records 4 and 8 with clearFlag 0, record 6 with 1).
    bool PageWaitNovel(const PageWaitContext& context, int clearFlag);

    // Dialect 0's voice for the current page, replayed from the backlog.
    void SetVoicePath(std::string path) { voicePath_ = std::move(path); }
    const std::string& VoicePath() const { return voicePath_; }
    const std::vector<BacklogPage>& Backlog() const { return backlog_; }

    // Dialect 2's choice list: entries are added while choices are collected.
    void AddChoiceEntry(std::string_view caption, int32_t targetKey);
    // firstRun lays the entries out. Returns 0 while nothing is chosen, else
    // the chosen entry's number + 1 with its key in *targetKey.
    int RunChoiceList(bool firstRun, int32_t* targetKey);
    void ClearChoiceList();

    // What a save keeps of the window: visibility, the pen, the page's cells.
    persist::WindowSnapshot Snapshot() const;
    // Puts a snapshot's page back (the window was just built).
    void Restore(const persist::WindowSnapshot& snapshot);

    // The cells the frame composition draws.
    gfx::TextLayer& Text() { return text_; }

    // The key-wait indicator at the pen (a loaded game shows it again).
    void ShowWaitIcon(bool novel, int clearFlag);

private:
    core::EngineServices game_;
    int dialect_;
    const DataSetTables& tables_;
    gfx::TextLayer text_;
    bool visible_ = false;
    bool hiddenByReader_ = false;
    bool backlogMode_ = false;
    std::string voicePath_;
    std::vector<BacklogPage> backlog_;

    struct ChoiceEntry {
        std::string caption;  // Shift-JIS, at most 63 bytes
        int32_t targetKey = 0;
        size_t firstCell = 0;  // the entry's cells: firstCell up to lastCell (exclusive)
        size_t lastCell = 0;
        gfx::Rect rect;  // screen pixels
    };
    struct Pen {
        int32_t x = 0;  // screen pixels
        int32_t y = 0;
        int32_t column = 0;
        int32_t line = 0;
    };

    int32_t CharacterScreenSize() const { return gfx::DesignToScreenX(characterSize_); }
    void PenToOrigin();
    void NewLine();
    // Walks the text from *position: skips what is never shown, types the
    // name token's replacement at once and takes one character per delay
    // since the last one. True when the end of the text was reached.
    bool TypeText(std::string_view text, size_t* position, uint32_t delay, uint32_t now);
    void PlaceCharacter(uint16_t character, uint32_t colour);
    void TypePlayerName();
    void MarkWindowDirty();
    void MarkCellsDirty(size_t first, size_t last);
    void SetPiecesVisible(bool shown);
    void HideByReader();
    void ShowAfterReader();
    void EnterBacklog();
    void ShowBacklogPage(size_t position);
    void LeaveBacklog();
    bool VoicePlaying() const;
    bool RunPageWait(const PageWaitContext& context, bool novel, int clearFlag);
    void EndPage(const PageWaitContext& context, bool novel, int clearFlag);
    void RemoveChoiceCells();
    void ColourChoices();

    // Geometry: design coordinates, the origin relative to the window.
    int32_t windowX_ = 0, windowY_ = 0, windowWidth_ = 0, windowHeight_ = 0;
    int32_t originX_ = 0, originY_ = 0;
    int32_t characterSize_ = 32;
    int32_t characterSpacing_ = 0;  // screen pixels
    int32_t lineSpacing_ = 0;       // screen pixels
    int32_t charactersPerLine_ = 24;
    int32_t linesPerPage_ = 4;
    uint32_t delayBase_ = 20;
    int lastPiece_ = 6;  // sprites 1..lastPiece are the window's pieces

    // Typing.
    Pen pen_;
    size_t typed_ = 0;
    uint32_t lastCharacterTime_ = 0;
    uint32_t textColour_ = kTextWhite;
    bool namePlateMode_ = false;

    // Page wait.
    uint32_t pageEndTime_ = 0;
    size_t backlogPosition_ = 0;

    // Dialect 2's choice list.
    std::vector<ChoiceEntry> choices_;
    int choiceSelection_ = -1;
    bool choicesLaidOut_ = false;
    Pen choicePen_;  // where the pen was before the entries were laid out
};

}  // namespace script
