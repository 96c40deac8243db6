#pragma once
// The action the player adds to every world it starts: each sphere with identifier
// 5 turns a quarter turn per second about its own centre. It is temporary, so it is
// never saved with the world.

#include "scene/records/ActionInfo.h"

namespace velorina {

// The record, with the next free object identifier (taken from the counter).
TD3DActionInfo startupAction();

}  // namespace velorina
