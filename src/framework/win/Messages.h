#pragma once
// Every private window message of the program, in one place, so that their numbers are seen
// together and no window is sent two meanings of one number. Each is posted by a window to
// itself (the channel: by a worker to the GUI thread's message-only window); none carries
// arguments unless it says so.
#include "framework/win/Win.h"

namespace tsb {

// The main window's own, from WM_USER on.
constexpr UINT WM_STARTUP = WM_USER;  // 1024: the main window was first shown
// 1025: the serial of the TFolderRecord to show, its low 32 bits in wParam and its high 32 bits
// in lParam (alike on both targets); see PostLoadPage.
constexpr UINT WM_LOADPAGE = WM_USER + 1;

// The framework's and the other units', from WM_APP on.
constexpr UINT WM_TSB_UPDATERANGE = WM_APP + 1;     // a scroll box: set its range once the placing is done
constexpr UINT WM_TSB_SYNCHRONIZE = WM_APP + 2;     // the channel: run the work workers hand over
constexpr UINT WM_REPLAYHELD = WM_APP + 3;          // every form: act on the command it held while busy
constexpr UINT WM_VIEWERACTIVATE = WM_APP + 40;     // the picture viewer, on activation: paint once it is through
constexpr UINT WM_SLIDESHOWACTIVATE = WM_APP + 41;  // the slide show, on activation: run once it is through

}  // namespace tsb
