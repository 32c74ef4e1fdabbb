#include "platform/components/Components.h"

void RegisterBuiltinComponents(const ComponentRegistrar& add) {
  add(u"Adodb.Stream", CreateAdodbStream);
  add(u"VBScript.RegExp", CreateVbsRegExp);
  add(u"MSScriptControl.ScriptControl", CreateScriptControl);
}
