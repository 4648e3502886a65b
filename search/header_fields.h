// Subject, From and Date cut out of a header block in place.
#pragma once

#include <cstdint>

// Writes a NUL over the CR of every matching line and stores each value's
// offset; positions of fields not found are left as the caller set them.
void FindHeaderFields(char* header, int32_t* subjectPos, int32_t* senderPos, int32_t* datePos);
