#include "RunFlags.h"

bool suppressDoneNotice = false;
