// The orders in which the pages list, confirm and recognise components.
#pragma once
#include <windows.h>

enum { LISTED_COMPONENT_COUNT = 19 };  // every component but the Java bindings

// Component table indexes (COMP_*), each order LISTED_COMPONENT_COUNT long.
extern const int kSelectOrder[LISTED_COMPONENT_COUNT];
extern const int kConfirmOrder[LISTED_COMPONENT_COUNT];
extern const int kMatchOrder[LISTED_COMPONENT_COUNT];

// The component's display name in the user's language.
const char *ComponentDisplayName(int component);
// The component whose display name equals text, first in match order; -1 for none.
int MatchComponentName(const char *text);
