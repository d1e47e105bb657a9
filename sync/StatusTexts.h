#pragma once
// Status identifiers and their texts. The resource script builds its string
// table from this file and the tests compare against it, so a text can only
// be changed here. Plain defines: windres reads this file too.

#define IDS_PERIOD_TOO_SMALL   134
#define IDS_TIME_SET           151
#define IDS_OPEN_EVENT_FAILED  152
#define IDS_UNKNOWN_STATUS     153
#define IDS_OPEN_PORT_FAILED   155
#define IDS_INIT_PORT_FAILED   156
#define IDS_NO_ECHO            157
#define IDS_READ_FAILED        158
#define IDS_PARSE_FAILED       159
#define IDS_SET_TIME_FAILED    160
#define IDS_UNEXPECTED_ERROR   161
#define IDS_WAITING_FOR_THREAD 162
#define IDS_NO_PORT            163
#define IDS_INTERNAL_ERROR     164
#define IDS_THREAD_FAILED      165
#define IDS_RESOURCE_FAILED    166
#define IDS_STOPPED            167
#define IDS_INSTALL_SERVICE    168
#define IDS_CLOCK_STEPPED      172
#define IDS_LARGE_STEP         173
#define IDS_SET_NOT_TAKEN      174
#define IDS_WINDOWS_TIME_RIVAL 175
#define IDS_NOT_AGREED         176
#define IDS_SAMPLE_SENT        180
#define IDS_SAMPLE_TOO_WIDE    181
#define IDS_SAMPLE_NOT_TAKEN   182

#define TEXT_PERIOD_TOO_SMALL   "You must enter a frequency greater than or equal to 1 second."
#define TEXT_TIME_SET           "Time Set %H:%M:%S UTC "
#define TEXT_OPEN_EVENT_FAILED  "OpenEvent Failed!"
#define TEXT_UNKNOWN_STATUS     "Unknown msg %d: Win32 status was: "
#define TEXT_OPEN_PORT_FAILED   "Failed to open comm port."
#define TEXT_INIT_PORT_FAILED   "Failed to initialize comm port!"
#define TEXT_NO_ECHO            "Failed to get an echo back from an Orvanel clock on the selected comm port."
#define TEXT_READ_FAILED        "Failed to read clock time from the selected comm port."
#define TEXT_PARSE_FAILED       "Failed to parse clock time.  Not enough data was read back!"
#define TEXT_SET_TIME_FAILED    "Win32 command: SetSystemTime() failed."
#define TEXT_UNEXPECTED_ERROR   "An unexpected error was trapped."
#define TEXT_WAITING_FOR_THREAD "Waiting for thread to quit, time out in %d ms..."
#define TEXT_NO_PORT            "No comm port selected!"
#define TEXT_INTERNAL_ERROR     "Internal Error.  Please close this application."
#define TEXT_THREAD_FAILED      "Win32 failed to created a new thread.  "
#define TEXT_RESOURCE_FAILED    "Windows failed to created a necessary resource.  This application is aborting."
#define TEXT_STOPPED            "Stopped setting time."
#define TEXT_CLOCK_STEPPED      "The PC clock was changed by something else (%s)."
#define TEXT_LARGE_STEP         "The GPS clock differs from the PC clock by %s; the clock is set once it says so three times running."
#define TEXT_SET_NOT_TAKEN      "Windows reported the time set, but the PC clock did not move by the %s asked."
#define TEXT_WINDOWS_TIME_RIVAL "Windows Time also sets this PC's clock from the network, and the two will fight: set its type to NoSync (w32tm /config /syncfromflags:NO /update), or let Horalux feed Windows Time (horalux.exe /windows-time on)."
#define TEXT_NOT_AGREED         "Not set yet: the PC clock is set once two of the clock's replies agree."
#define TEXT_SAMPLE_SENT        "Sample sent:"
#define TEXT_SAMPLE_TOO_WIDE    "No sample sent: the estimate is not yet narrower than 500 ms."
#define TEXT_SAMPLE_NOT_TAKEN   "The sample could not be handed to Windows Time."
#define TEXT_INSTALL_SERVICE    "Setting the clock needs administrator rights: run horalux.exe /install-service as administrator once and the Horalux service will keep it set."
