// The per-process registry key that holds the records of this process's buffers:
// HKEY_CURRENT_USER\SOFTWARE\RURoruved\Korvanite\<process id as %08X>, a volatile key below the
// plug-in's ordinary settings key.
#pragma once

#include "sys/sys.h"

// Creates or opens the key (and the settings key above it) for reading, creating sub-keys and
// setting values. Null when either cannot be created. The caller closes it.
sys::RegistryKey OpenProcessKey();

// Creates the key at load so that it exists from then on; failures are ignored.
void CreateProcessKey();

// Deletes the key and with it every record of this process; the outcome is ignored.
void DeleteProcessKey();
