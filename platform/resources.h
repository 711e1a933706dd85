#pragma once
// The pictures the executable carries inside it.

#include <vector>

#include "picture.h"

Picture LoadResPicture(int id);
Picture LoadResIcon(int id, std::vector<bool>& transparent);
