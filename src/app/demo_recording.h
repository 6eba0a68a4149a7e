#pragma once

#include "sim/part.h"

class TForm1;

// --demo-record: once the demo meter is connected, sort against the demo part's
// own value with a 0.1 % tolerance (R, L and C parts), start recording and open
// the statistics window, so a demo run shows the log, sorting and statistics
// at work without a hand on the mouse.
void StartDemoRecording(TForm1& form, const sim::TPart& part);
