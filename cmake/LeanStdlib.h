// Forced into everything the player links (the player's lean build,
// PlayerLean.cmake): the standard library's strings are then instantiated in our
// own objects, member by member as used, instead of pulling the library's complete
// prebuilt string objects (tens of KB each) into an executable that must fit its
// fixed size.
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
