#include "cli/SettingsCommand.h"

#include "cli/CliError.h"
#include "cli/ValueText.h"
#include "core/app/AppSettings.h"
#include "core/app/KestrelAppDelegate.h"
#include "core/settings/ActiveHours.h"
#include "core/settings/ApplicationId.h"
#include "core/settings/Camera1Data.h"

#include <nlohmann/json.hpp>

#include <string_view>
#include <type_traits>

namespace kestrel::cli {
namespace {

using Json = nlohmann::ordered_json;

Json storedJson(const Camera1Data& record) {
    Json stored = Json::object();
    Camera1Data::visitAllFields(record, [&](const char* key, const auto& value) {
        stored[key] = value;
    });
    stored[PrefObject::kPersistedKey] = record.persisted();
    return stored;
}

Json effectiveJson(const EffectiveSettings& e) {
    return Json{
        {"fullSizePhoto", e.fullSizePhoto()}, {"enhance", e.enhance()},
        {"tilt", e.tilt()},                   {"ratio", e.ratio()},
        {"modification", e.modification()},   {"timeStamp", e.timeStamp()},
        {"autoSave", e.autoSave()},           {"vibrateAlert", e.vibrateAlert()},
        {"timerBeep", e.timerBeep()},         {"grid", e.grid()},
        {"digitalZoom", e.digitalZoom()},     {"fullScreenShutter", e.fullScreenShutter()},
        {"modifiedImage", e.modifiedImage()},
    };
}

// Without --json: one "name = value" line per value, nested names joined by dots.
void printText(std::ostream& out, const Json& value, const std::string& prefix) {
    if (!value.is_object()) {
        out << prefix << " = " << value.dump() << '\n';
        return;
    }
    for (const auto& [name, entry] : value.items())
        printText(out, entry, prefix.empty() ? name : prefix + "." + name);
}

void print(std::ostream& out, const Json& value, bool json) {
    if (json)
        out << value.dump(2) << '\n';
    else
        printText(out, value, "");
}

// The keys whose integers are local times of day, in minutes after midnight:
// they take "HH:MM" as well, and nothing outside the day.
bool isTimeOfDayKey(std::string_view key) {
    return key == "timer active from" || key == "timer active to";
}

std::int32_t timeOfDay(const std::string& key, const std::string& text) {
    if (const auto minutes = ActiveHours::parseClock(text)) return *minutes;
    const auto minutes = ValueText::parseInt32(text);
    if (!minutes || !ActiveHours::isTimeOfDay(*minutes))
        throw CliError::usage("\"" + key +
                              "\" takes a time of day, HH:MM or minutes after midnight (0 to "
                              "1439), not \"" + text + "\"");
    return *minutes;
}

// Sets the field stored under `key` from its text; answers whether the key
// names a field.
bool assignField(Camera1Data& record, const std::string& key, const std::string& text) {
    bool found = false;
    Camera1Data::visitAllFields(record, [&](const char* fieldKey, auto& field) {
        if (found || key != fieldKey) return;
        found = true;
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, bool>) {
            const auto value = ValueText::parseBool(text);
            if (!value)
                throw CliError::usage("\"" + key + "\" takes true or false, not \"" + text + "\"");
            field = *value;
        } else if (isTimeOfDayKey(key)) {
            field = timeOfDay(key, text);
        } else {
            const auto value = ValueText::parseInt32(text);
            if (!value)
                throw CliError::usage("\"" + key + "\" takes a 32-bit integer, not \"" + text +
                                      "\"");
            field = *value;
        }
    });
    return found;
}

}  // namespace

SettingsCommand::SettingsCommand(CLI::App& parent, CliContext& context) : context_(context) {
    CLI::App* settings = parent.add_subcommand("settings", "Show and change the settings record");
    settings->require_subcommand(1);

    CLI::App* show = settings->add_subcommand("show", "Stored and effective settings");
    show->add_flag("--json", json_, "Print JSON");
    show->callback([this] { this->show(); });

    CLI::App* set = settings->add_subcommand(
        "set", "Set one stored value by its preference key, then save the record");
    set->add_option("KEY", key_, "Preference key, e.g. \"camera mode\"")->required();
    set->add_option("VALUE", value_,
                    "true/false/yes/no/1/0, a 32-bit integer, or HH:MM for \"timer active from\" "
                    "and \"timer active to\"")
        ->required();
    set->callback([this] { this->set(); });

    CLI::App* effective = settings->add_subcommand(
        "effective", "Effective values for a mode number and product variant");
    effective->add_option("--mode", mode_, "Mode number")->required();
    effective->add_option("--variant", variant_, "Product variant code")
        ->default_val(ApplicationId::kThisBuild);
    effective->add_flag("--json", json_, "Print JSON");
    effective->callback([this] { this->effective(); });

    CLI::App* rules = settings->add_subcommand(
        "rules", "Modes -1 to 11 for which each capability rule answers YES");
    rules->add_option("--variant", variant_, "Product variant code")
        ->default_val(ApplicationId::kThisBuild);
    rules->add_flag("--json", json_, "Print JSON");
    rules->callback([this] { this->rules(); });
}

void SettingsCommand::show() const {
    AppSettings settings(context_.configDir);
    KestrelAppDelegate delegate;
    delegate.setData(&settings.record());
    delegate.applicationDidFinishLaunching();
    const Json result{{"stored", storedJson(settings.record())},
                      {"effective", effectiveJson(Camera1Data::effective())}};
    print(*context_.out, result, json_);
}

void SettingsCommand::set() const {
    if (key_ == PrefObject::kPersistedKey)
        throw CliError::usage("\"persisted\" is set by saving the record; it cannot be set");
    AppSettings settings(context_.configDir);
    KestrelAppDelegate delegate;
    delegate.setData(&settings.record());
    delegate.applicationDidFinishLaunching();
    if (!assignField(settings.record(), key_, value_))
        throw CliError::usage("unknown settings key \"" + key_ + "\"");

    // Saved as when the application resigns the active state.
    delegate.applicationWillResignActive();
    if (!delegate.savedFlag())
        throw CliError::failure("the settings could not be saved to " +
                                settings.store().file().string());
}

void SettingsCommand::effective() const {
    AppSettings settings(context_.configDir);
    settings.record().setMode(mode_);  // in memory only: nothing is saved
    print(*context_.out, effectiveJson(EffectiveSettings(&settings.record(), variant_)), json_);
}

void SettingsCommand::rules() const {
    Json result = Json::object();
    for (const CapabilityRule& rule : Camera1Data::capabilityRules()) {
        Json modes = Json::array();
        for (int mode = -1; mode <= 11; ++mode)
            if (rule.rule(mode, variant_)) modes.push_back(mode);
        result[rule.name] = modes;
    }
    print(*context_.out, result, json_);
}

}  // namespace kestrel::cli
