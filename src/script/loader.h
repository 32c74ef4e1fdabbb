// The script every new JSON engine is loaded with, assembled at build time
// from the counting helper, the system's json2 script and our tail.
//
// It is one line of ASCII. Its tail adds two enumerable methods to
// Object.prototype, so every for-in visits "toJSONString" and "parseJSON"
// after a value's own members; get__count subtracts those two.
#pragma once

#include <string_view>

std::string_view LoaderScript();
