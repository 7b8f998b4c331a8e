#include "sim/state_json.h"

#include "sim/frame_log.h"
#include "sim/json_value.h"

namespace kv816 {
namespace {

std::string numbers(const DeviceValues& values) {
  std::string out = "[";
  for (int i = 0; i < PARAM_COUNT; ++i) {
    if (i > 0)
      out += i % 25 == 0 ? ",\n    " : ",";
    out += std::to_string(values[i]);
  }
  return out + "]";
}

std::string quoted(std::string_view text) {
  return "\"" + jsonEscape(text) + "\"";
}

std::string moduleJson(const ModuleSettings& m) {
  return "{\"mode\":" + std::to_string(m.mode) + ",\"hot_ssid\":" + quoted(m.hotSsid) +
         ",\"hot_password\":" + quoted(m.hotPassword) + ",\"route_ssid\":" + quoted(m.routeSsid) +
         ",\"route_password\":" + quoted(m.routePassword) +
         ",\"tcp_port\":" + std::to_string(m.tcpPort) +
         ",\"udp_port\":" + std::to_string(m.udpPort) + "}";
}

bool readValues(const JsonValue* v, DeviceValues& out, std::string& error) {
  if (!v || v->kind != JsonValue::Kind::Array || v->array.size() != PARAM_COUNT) {
    error = "a table must be an array of 1175 numbers";
    return false;
  }
  for (int i = 0; i < PARAM_COUNT; ++i) {
    const JsonValue& n = v->array[i];
    if (n.kind != JsonValue::Kind::Number || n.number < 0 || n.number > 65535) {
      error = "table value " + std::to_string(i) + " is not a number 0..65535";
      return false;
    }
    out[i] = static_cast<uint16_t>(n.number);
  }
  return true;
}

int readInt(const JsonValue& object, const std::string& key, int fallback) {
  const JsonValue* v = object.find(key);
  return v && v->kind == JsonValue::Kind::Number ? static_cast<int>(v->number) : fallback;
}

void readString(const JsonValue& object, const std::string& key, std::string& out) {
  const JsonValue* v = object.find(key);
  if (v && v->kind == JsonValue::Kind::String)
    out = v->string;
}

void readModule(const JsonValue* v, ModuleSettings& m) {
  if (!v || v->kind != JsonValue::Kind::Object)
    return;
  m.mode = readInt(*v, "mode", m.mode) == 2 ? 2 : 1;
  readString(*v, "hot_ssid", m.hotSsid);
  readString(*v, "hot_password", m.hotPassword);
  readString(*v, "route_ssid", m.routeSsid);
  readString(*v, "route_password", m.routePassword);
}

bool readPresets(const JsonValue* v, DeviceState& s, std::string& error) {
  if (!v)
    return true;
  if (v->kind != JsonValue::Kind::Array || v->array.size() != PRESET_COUNT) {
    error = "presets must be an array of 12 objects";
    return false;
  }
  for (int p = 0; p < PRESET_COUNT; ++p) {
    const JsonValue& preset = v->array[p];
    readString(preset, "name", s.presets[p].name);
    if (s.presets[p].name.size() > PRESET_NAME_BYTES)
      s.presets[p].name.resize(PRESET_NAME_BYTES);
    if (!readValues(preset.find("values"), s.presets[p].values, error))
      return false;
  }
  return true;
}

} // namespace

std::string stateToJson(const DeviceState& s, int identity) {
  std::string out = "{\"identity\":" + std::to_string(identity) +
                    ",\"current_preset\":" + std::to_string(s.currentPreset) +
                    ",\"lock_mask\":" + std::to_string(s.lockMask) +
                    ",\n\"table\":" + numbers(s.table) + ",\n\"presets\":[";
  for (int p = 0; p < PRESET_COUNT; ++p) {
    out += p == 0 ? "\n" : ",\n";
    out += "  {\"number\":" + std::to_string(p + 1) + ",\"name\":" + quoted(s.presets[p].name) +
           ",\"values\":" + numbers(s.presets[p].values) + "}";
  }
  return out + "],\n\"module\":" + moduleJson(s.module) + "}\n";
}

bool stateFromJson(std::string_view json, DeviceState& state, std::string& error) {
  const std::optional<JsonValue> root = parseJson(json, error);
  if (!root)
    return false;
  if (root->kind != JsonValue::Kind::Object) {
    error = "the state must be a JSON object";
    return false;
  }
  DeviceState s = state;
  if (!readValues(root->find("table"), s.table, error) ||
      !readPresets(root->find("presets"), s, error))
    return false;
  s.currentPreset = readInt(*root, "current_preset", s.currentPreset);
  if (const JsonValue* mask = root->find("lock_mask");
      mask && mask->kind == JsonValue::Kind::Number)
    s.lockMask = static_cast<uint32_t>(mask->number);
  readModule(root->find("module"), s.module);
  state = s;
  return true;
}

} // namespace kv816
