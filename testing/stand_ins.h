// Recording stand-ins for what lives outside the library: the host framework's interface
// object, the two sibling components, DocumentGraphics and screen controls. They record
// every interaction in an InteractionSink (lemald prints it; tests inspect it). They are
// not part of the library (target lema_testing): lemald, the tests, the benchmarks and the
// fuzz target register them.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/registry.h"
#include "common/object.h"
#include "common/value.h"
#include "host/class_names.h"
#include "host/host_framework.h"

namespace lema::host {

struct Interaction {
  Interaction(std::string_view who_, std::string_view what_, std::string_view name_ = {})
      : who(who_), what(what_), name(name_) {}
  std::string_view who;
  std::string_view what;  // get, let, set, call, create, release, event
  std::string_view name;
  const Value* value = nullptr;  // absent when not applicable or when the operation raised
  std::span<const Value> args;
  bool has_args = false;
};

class InteractionSink {
 public:
  virtual ~InteractionSink() = default;
  virtual void record(const Interaction& entry) = 0;
};

// A sink that keeps entries as text lines "who what name value [args]" (for tests).
class TextLog final : public InteractionSink {
 public:
  void record(const Interaction& e) override;
  std::vector<std::string> lines;
};

struct CaseInsensitiveLess {
  bool operator()(std::string_view a, std::string_view b) const noexcept;
  using is_transparent = void;
};

// ---- host framework interface object ------------------------------------------------
struct RecordingHostConfig {
  enum class Translation { Identity, Prefix, Numbered };
  std::string name = "host";
  Value language = Value("ITA");
  Value company = Value(int32_t{1});
  bool host_option = false;
  Translation translation = Translation::Identity;
  std::string prefix;
  std::set<std::string, CaseInsensitiveLess> fail;  // operations that raise
};

class RecordingHost final : public HostFramework {
 public:
  RecordingHost(RecordingHostConfig config, std::shared_ptr<InteractionSink> sink);
  Value LanguageCode() override;
  Value CompanyCode() override;
  void Translate(std::string_view text, std::string& out) override;
  bool IsHostOptionSet() override;
  int translate_calls() const noexcept { return translate_calls_; }

 private:
  void check(Interaction& e);
  Value answer(Interaction& e, Value result);
  RecordingHostConfig config_;
  std::shared_ptr<InteractionSink> sink_;
  int translate_calls_ = 0;
};

// ---- sibling components and in-house classes ------------------------------------------
struct StandInConfig {
  bool absent = false;                                        // the class cannot be created
  std::set<std::string, CaseInsensitiveLess> fail;            // members that raise when used
  std::map<std::string, Value, CaseInsensitiveLess> returns;  // get / call results
  std::map<std::string, Value, CaseInsensitiveLess> byref;    // written into argument 0
};

// Creates and tracks the stand-ins of one run (numbering CLASS#1, CLASS#2, ...).
class StandInBoard : public std::enable_shared_from_this<StandInBoard> {
 public:
  explicit StandInBoard(std::shared_ptr<InteractionSink> sink);
  StandInConfig& config(std::string_view prog_id);
  ObjectRef create(std::string_view prog_id);  // raises CannotCreateObject when absent
  // Registers factories for the three stand-in class names on `reg` for the board's use.
  std::vector<std::unique_ptr<ScopedClass>> install(Registry& reg = Registry::global());
  // The live sibling connector whose Plookup refers to `connector`, if any.
  ObjectRef sibling_of(const Object& connector) const;
  InteractionSink& sink() { return *sink_; }

 private:
  friend class StandIn;
  std::shared_ptr<InteractionSink> sink_;
  std::map<std::string, StandInConfig, CaseInsensitiveLess> configs_;
  std::map<std::string, int, CaseInsensitiveLess> counters_;
  std::vector<WeakRef<Object>> live_;
};

// Makes a stand-in sibling connector call TransferData on its Plookup, as an opened
// program does when its user picks a value. `cancel` and `called_program` are by reference.
void pick(Object& sibling, Value& cancel, const Value& data, Value& called_program);

// A control of a screen: an object the library only stores and hands on.
ObjectRef make_control(std::string name);

}  // namespace lema::host
