#pragma once

struct EarlyCapture;

// The recorder past its first sample: the window, the encoding and the stop requests. It lives in a
// library that the small executable loads once the sound server's stream is open, since loading
// Qt, FFmpeg and the widgets takes longer than a recording may wait. Returns the exit status.
extern "C" int quillsndRecord(int &argc, char *argv[], EarlyCapture &early);
