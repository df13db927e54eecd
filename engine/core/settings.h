#pragma once
// The settings record: every user setting at its default until the
// configuration file is read. Keys are named as the file spells them.

#include <cstdint>
#include <string>

namespace core {

struct Settings {
    int32_t pcm = 0;                    // PCM: 0 no music device, 1 off, 2 on
    int32_t memStream = 0;              // MEM_STREAM
    int32_t fastBrindlex = 0;           // FAST_BRINDLEX
    int32_t deviceVolume = 65535;       // DEVICE_VOL
    int32_t tilvaMode = 1;              // TILVA_MODE: particles on
    int32_t backgroundNameDisplay = 1;  // BG_NAME_DISP
    int32_t voicePlay = 1;              // VOICE_PLAY
    int32_t sePlay = 1;                 // SE_PLAY
    int32_t masterVolume = 100;         // MASTER_VOL
    int32_t musicVolume = 100;          // MUSIC_VOL
    int32_t voiceVolume = 100;          // VOICE_VOL
    int32_t seVolume = 100;             // SE_VOL
    int32_t movieVolume = 100;          // MOV_VOL
    int32_t effectUse = 1;              // EFFECT_USE
    int32_t transMode = 0;              // TRANS_MODE: text supersampling level
    int32_t messageSpeed = 1;           // MESSAGE_SPEED
    int32_t messageAuto = 0;            // MESSAGE_AUTO
    int32_t readSkip = 0;               // READ_SKIP
    int32_t lockSkip = 0;               // LOCK_SKIP
    int32_t messageShadow = 0;          // MESSAGE_SADOW
    int32_t messageVoiceReplay = 1;     // MESSAGE_VOICE_REPLAY
    int32_t textCutMode = 0;            // TEXT_CUT_MODE
    int32_t messageWindowTrans = 2;     // MESSAGE_WIN_TRANS
    int32_t centreKeyControl = 1;       // KEY_CEN_CTRL: 1 shows the menu
    int32_t cursorMode = 0;             // KET_CUR_MODE
    int32_t doubleClick = 0;            // KET_DOUBLE_CLICK
    int32_t dispFreeMode = 0;           // DISP_FREE_MODE

    bool skipMode = false;  // on while skipping (not stored)
    // Finished pages go into the message window's backlog.
    bool backlogRecording = true;
    // Shift-JIS; empty: the data set's default name.
    std::string playerName;
};

}  // namespace core
