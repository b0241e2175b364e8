// BBLIST: the buffers this process allocated through the plug-in, one line each, optionally
// sorted, bare or paged.
#pragma once

#include <cstdint>

#include "frame/feature_exports.h"
#include "store/buffer_record.h"

// The command's export, bblist (frame/feature_exports.h), gives 0 when listed (or usage shown),
// 1 after a wrong option, 3 when the user stopped the output, 87 without a text.

// Up to 15 key letters: A (address), S (size), T (creation time); upper case ascending, lower
// case descending. Empty: no sorting.
constexpr int kSortKeysCapacity = 16;
constexpr int kMostSortKeys = kSortKeysCapacity - 1;

// Reads the text after "/O" into `keys`. 0, or 1 after reporting a bad key letter.
[[nodiscard]] int ParseSortKeys(const char16_t* text, char16_t (&keys)[kSortKeysCapacity]);

// Negative, 0 or positive as `a` sorts before, with or after `b`: by the keys in turn, then by
// ascending address.
int CompareBufferRecords(const BufferRecord& a, const BufferRecord& b, const char16_t* keys);

// "%7.2f %cB": the size in kB below 1 MiB, else in the largest binary unit it reaches. -1
// without an output text (kHumanSizeCapacity units), else 0.
constexpr int kHumanSizeCapacity = 64;
int FormatHumanSize(char16_t* out, uint64_t size);
