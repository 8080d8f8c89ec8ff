#include "session/SessionPrompts.h"
