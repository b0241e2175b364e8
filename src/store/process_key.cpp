#include "store/process_key.h"

// The buffer records are not kept in the registry yet, so there is no key to create or delete.
void CreateProcessKey() {}
void DeleteProcessKey() {}
