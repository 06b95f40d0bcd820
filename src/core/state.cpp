#include "core/state.h"

ProgramState g_state;

void ResetProgramState() { g_state = ProgramState{}; }
