#include "store/last_transfer.h"

int32_t LastError = 0;
uint64_t LastLoadSize = 0;
