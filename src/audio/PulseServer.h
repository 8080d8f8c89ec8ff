#pragma once

// True when a sound server answers now; never starts one.
bool soundServerAnswers();
