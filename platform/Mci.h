#pragma once
// The media command strings the game plays its background music with: a small interpreter of
//
//   open FILE [type NAME] [alias NAME]   opens an MP3 file under a name (the file name without one)
//   play NAME [notify]                   plays from the start, or on from a stop
//   stop NAME                            stops, keeping the position
//   close NAME | close all               stops and forgets the device
//   status NAME mode                     "playing" or "stopped" into the return text
//
// Paths are written the Windows way (".\\sounds\\music.mp3"). The MP3 is decoded with libmpg123 as
// it plays and mixed with the sound effects on the process's audio device. When a play with notify
// reaches the end of the file, MM_MCINOTIFY (wParam MCI_NOTIFY_SUCCESSFUL, lParam the device id)
// is posted to the message queue. A stop, a close or a second play ends the wait for the end
// without a message, so closing the music never makes it start again. Errors are return values.
// Names and keywords match without regard to case.

#include <cstdint>

namespace platform {

constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 0x1;

constexpr uint32_t MCIERR_BASE = 256;
constexpr uint32_t MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr uint32_t MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr uint32_t MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr uint32_t MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr uint32_t MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr uint32_t MCIERR_MISSING_STRING_ARGUMENT = MCIERR_BASE + 13;
constexpr uint32_t MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr uint32_t MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr uint32_t MCIERR_DUPLICATE_ALIAS = MCIERR_BASE + 33;
constexpr uint32_t MCIERR_INVALID_FILE = MCIERR_BASE + 40;

// Runs one command. 0 on success, an MCIERR_ value otherwise. returnText (may be null) receives
// the command's text result, cut to returnSize - 1 characters and terminated; "" when it has none.
// The notify window is not used: notifications go to the process's message queue.
uint32_t MciSendString(const char* command, char* returnText, uint32_t returnSize,
                       void* notifyWindow);

// A short English text for an error code; false for an unknown code.
bool MciGetErrorString(uint32_t error, char* text, uint32_t size);

// For tests that pull the mixer's output directly: blocks until every open device's decoder has
// refilled what the play cursor has passed (and posted any end notification). False on time-out.
bool MciWaitIdle(int timeoutMs);

}  // namespace platform
