// The automation components this program ships, registered by ProgID the
// first time a component is asked for.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "platform/com/Dispatch.h"

using ComponentRegistrar =
    std::function<void(std::u16string_view, std::function<std::shared_ptr<Dispatch>()>)>;
void RegisterBuiltinComponents(const ComponentRegistrar& add);

// "Adodb.Stream": a byte stream with a text view in a charset.
std::shared_ptr<Dispatch> CreateAdodbStream();
// "VBScript.RegExp": regular expressions over UTF-16 text.
std::shared_ptr<Dispatch> CreateVbsRegExp();
// "MSScriptControl.ScriptControl": a sandboxed JavaScript engine.
std::shared_ptr<Dispatch> CreateScriptControl();
