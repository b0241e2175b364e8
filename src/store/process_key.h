// The per-process registry key that holds the records of this process's buffers.
#pragma once

// Creates the key at load so that it exists from then on; failures are ignored.
void CreateProcessKey();

// Deletes the key and with it every record of this process; the outcome is ignored.
void DeleteProcessKey();
