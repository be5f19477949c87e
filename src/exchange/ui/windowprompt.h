#pragma once

#include "exchange/prompt.h"

class QWidget;
class QProgressBar;

// The exchange services' questions go to the message seam, their dates to
// the program's clock, and their progress to a bar; while they work the
// window keeps repainting and answering (about every 50 ms).
exchange::Prompt windowPrompt(QWidget *owner, QProgressBar *gauge = nullptr);

// Lets pending window events run, at most every 50 ms unless forced (the
// last step of a run is always shown).
void keepResponsive(bool force = false);
