// What each counter measures, in a sentence a user reads under the counter browser's lists,
// keyed by the English object and counter names (matched case-insensitively). Also which
// objects are costly to enumerate. Static tables; any thread.
#pragma once

#include <string_view>

namespace corvane {

// The meaning of a counter of an object; empty when the table does not know the pair.
std::string_view CounterDescription(std::string_view object, std::string_view counter);

// The meaning of an object as a whole; empty when the table does not know it.
std::string_view ObjectDescription(std::string_view object);

// Whether enumerating an object is costly (a walk over every process or thread), so that the
// counter browser lists it only when asked to include costly objects. No provider offers such
// an object on Linux today; the list names the ones a Windows machine has.
bool IsCostlyObject(std::string_view object);

}  // namespace corvane
