#include "charset/ConvertCharset.h"

#include "platform/com/Com.h"
#include "platform/com/ComObject.h"

ByteSet ConvertCharset(const ByteSet& data, TextValue& fromCharset, TextValue& toCharset,
                       std::optional<int> readFrom) {
  if (fromCharset.empty())
    fromCharset = "UTF-8";
  if (toCharset.empty())
    toCharset = "GBK";
  CoInitialize(nullptr);
  ByteSet result;
  {
    ComObject stream;
    stream.Create("Adodb.Stream");

    stream.Put("Type", Variant(1));
    stream.CallNone("Open");
    stream.CallNone("Write", {Variant(data)});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(2));
    stream.Put("Charset", Variant::FromText(fromCharset));
    TextValue text = stream.CallText("ReadText");

    stream.CallNone("Close");
    stream.CallNone("Open");

    stream.Put("Charset", Variant::FromText(toCharset));
    stream.CallNone("WriteText", {Variant::FromText(text)});
    stream.Put("Position", Variant(0));
    stream.Put("Type", Variant(1));
    if (readFrom)
      stream.Put("Position", Variant(*readFrom));
    result = stream.Call("Read").TakeBytes();
  }
  CoUninitialize();
  return result;
}

ByteSet ConvertCharset(const ByteSet& data, TextValue& fromCharset) {
  TextValue toCharset;
  return ConvertCharset(data, fromCharset, toCharset);
}

ByteSet ConvertCharset(const ByteSet& data) {
  TextValue fromCharset;
  TextValue toCharset;
  return ConvertCharset(data, fromCharset, toCharset);
}
