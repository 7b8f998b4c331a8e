#pragma once
// The keys of every text the program shows in three languages, and their lookup.
//
// Usage: `langText(Text::LinkStatusSuccessful)` gives the text in the current language;
// `langText(Text::Save, LanguageIndex::English)` in a given one. Look a text up each time
// it is shown: nothing may cache a translated string, so a language switch followed by a
// label refresh changes every visible text.
//
// The table holds the parts of composite texts only; callers append letters and numbers
// ("IN " + 'A', "Now Model" + ":" + "3") or fill in the formats ("%5.0f %%", "%ddb").
// Texts are UTF-8 and kept exactly as shown: trailing spaces ("GEQ ", "IN ", "OUT ",
// "Mute "), the double space of the threshold label, and the \n, \r\n and \t breaks.
// One English text with two meanings (for instance "Load" in the menu and on the preset
// dialog) has one key.
//
// Every returned view points into a string literal: it lives for the whole run and is
// NUL-terminated, so its data() may serve as a printf format.
//
// Every function here is safe to call from any thread.

#include "i18n/language.h"

#include <cstddef>
#include <optional>
#include <string_view>

namespace kv816 {

enum class Text : int {
  // Main window, menu and status line.
  ProgramRunning,       // "The Program is Running!"
  MenuRemote,           // "Remote"
  MenuNetwork,          // "Network"
  MenuDevice,           // "Device"
  MenuProgram,          // "Program"
  Load,                 // "Load": menu item and preset dialog button
  Save,                 // "Save": menu item and preset dialog button
  Import,               // "Import"
  Export,               // "Export"
  Mode2In4Out,          // "2In4Out"
  Mode2In6Out,          // "2In6Out"
  Mode4In6Out,          // "4In6Out"
  Mode4In8Out,          // "4In8Out"
  MenuConfigure,        // "Comfigure" (the English text keeps its historic spelling)
  MenuSystem,           // "System"
  Communication,        // "Communication:" followed by "USB", "NET", "BT" or "COM"
  LinkStatusSuccessful, // "Link Status:Successful"
  LinkStatusSearching,  // "Link Status:Search.."
  Tip,                  // "Tip!": caption of the exit question
  ConfirmExit,          // "Whether to exit the program!"

  // Tabs and page labels.
  Home,             // "Home"
  Gain,             // "Gain"
  Delay,            // "Delay"
  Geq,              // "GEQ " followed by the input letter
  In,               // "IN " followed by the input letter
  Out,              // "OUT " followed by the output digit
  Mute,             // "Mute "
  Freq,             // "Freq"
  Type,             // "Type"
  Bypass,           // "ByPass": band type 0
  Q,                // "Q"
  CrossOver,        // "X_Over"
  Peq,              // "PEQ": band type 7
  HighShelf,        // "HS"
  LowShelf,         // "LS"
  Hpf,              // "HPF"
  Lpf,              // "LPF"
  Limit,            // "Limit"
  Compress,         // "ComPress"
  PeqReset,         // "PEQ RESET"
  PeqBypass,        // "PEQ BYPASS"
  GeqReset,         // "GEQ RESET"
  GeqBypass,        // "GEQ BYPASS"
  Threshold,        // "Threshold"
  Attack,           // "Attack"
  Release,          // "Release"
  Ratio,            // "Ratio"
  BesselSlope,      // "Bessel %ddb"
  ButterworthSlope, // "Butter %ddb"
  LinkwitzSlope,    // "Link %ddb"
  ConfirmResetEq,   // "Whether to reset EQ"

  // Preset files and device presets.
  NoDevice,                // "No Device!"
  Warning,                 // "Warning!"
  NoFiles,                 // "No files。"
  WrongFileVersion,        // "Wrong file version。"
  EnterFileName,           // "Please enter the file name!"
  FileExistsOverwrite,     // "File already exists!\n Whether or not covered!"
  DataHasPassword,         // "The data has a password ."
  EncryptedModeUnreadable, // "Unable to read encrypted mode!"
  SaveSuccessful,          // "Save successfully!"
  SaveFailed,              // "Save Failed!"
  WriteDataFailed,         // "Write Data Failed!"
  ReadDataFailed,          // "Read Data Failed!"
  PresetNumber,            // "Model No": preset list column
  PresetName,              // "Model Name": preset list column
  CurrentPreset,           // "Now Model" followed by ":" and the preset number
  NotCurrentPreset,        // "Click not the current mode!\r\n please click ..."
  ConfirmSavePresetName,   // "The schema name has changed whether to save schema content!"
  Recall,                  // "Call" followed by "..."
  RecallFailed,            // "Invocation pattern of failure!"
  FileDialogFilter,        // "The default file(*.jib)|*.jib||"

  // Progress window formats: one %5.0f conversion for the percentage.
  ReadDataProgress,      // "Read Device Data:%5.0f %%"
  UpdateSceneProgress,   // "Update Scene Data:%5.0f %%"
  UpdateDisplayProgress, // "Update Display Data:%5.0f %%"

  // Device link.
  WrongModel, // "Equipment model is wrong!"

  // Channel copy and noise gate.
  ChannelCopy,    // "Channel Copy"
  Source,         // "Source"
  Target,         // "Target"
  NoiseGate,      // "NoiseGate"
  Ok,             // "OK"
  CannotCopySelf, // "You can't copy yourself!"
  CopyComplete,   // "Copy complete!"

  // Network settings.
  SsidEmpty,        // "SSID can't be empty!"
  RouterResetHint,  // "Reset to connect the routing,\r\n Please check ..."
  RestartToApply,   // "Modify success, restart the software to work!"
  PasswordTooShort, // "Password cannot be less than eight!"
  ModuleTextAscii,  // "SSID and password take only English letters, digits and symbols!"
  Hotspot,          // "Hot"
  Router,           // "Route"
  CurrentIp,        // "IP:"
  HotspotSsid,      // "HotSSID:"
  HotspotPassword,  // "HotPW:"
  RouterSsid,       // "RouteSSID:"
  RouterPassword,   // "RoutePW:"
  GetData,          // "Get\n\tData"
  SetHotspot,       // "Set\n\tHot"
  SetRouter,        // "Set\n\tRoute"

  // Remote API dialog (Remote menu).
  MenuApi,         // "API...": opens the dialog
  ApiTitle,        // "Remote API": the dialog's caption
  ApiEnable,       // Switch: serve the API
  ApiAddress,      // "Address:"
  ApiPort,         // "Port:"
  ApiOscEnable,    // Switch: OSC as well, followed by its port
  ApiToken,        // "Access token:"
  ApiCopy,         // Button: token to the clipboard
  ApiTokenNeeded,  // Why the token is shown: the address is reachable from other computers
  ApiListening,    // "Listening on" followed by the address
  ApiStopped,      // The API is not served
  ApiNotStarted,   // "Could not start:" followed by the reason
  ApiBadAddress,   // The address is not a numeric IP address
  ApiLoopbackOnly, // KV816_LOOPBACK_ONLY refuses an address beyond this computer

  // Edit menu and its history.
  MenuEdit,       // "Edit"
  Undo,           // "Undo" followed by " " and what the step changed
  Redo,           // "Redo" followed by " " and what the step changed
  HistoryCleared, // "Undo history cleared": a preset recall, import or full read happened
  Polarity,       // "Polarity": names an undo step
  LinkGroup,      // "Link": names an undo step
  Routing,        // "Routing": names an undo step

  // Filter text and measurements on the channel page.
  ExportFilters,    // "Export filters..."
  ImportFilters,    // "Import filters..."
  FilterTextFiles,  // "Filter text (*.txt)": file dialog filter
  ImportedFilters,  // "Filters imported": names an undo step and heads the import notes
  LoadMeasurement,  // "Measurement..."
  MeasurementFiles, // "Measurements (*.txt *.frd)": file dialog filter
  LevelOffset,      // "Offset"
  TargetFlat,       // "Flat"
  TargetTilt,       // "Tilt"
  TargetFromFile,   // "Target file..."
  TraceMeasured,    // "Measured"
  TracePredicted,   // "Predicted"
  FileNotRead,      // "The file was not read:" followed by a new line and the reason

  // The automatic EQ fit of the channel page.
  FitButton,              // Fit…: the channel page's automatic EQ button
  FitEq,                  // Fit EQ: the fit dialog's caption and its undo step
  TipFit,                 // Fit button: tooltip
  TipFitNeedsMeasurement, // Fit button without a measurement: tooltip
  FitRange,               // Fit: frequency range
  FitBands,               // Fit: number of bands
  FitLockedBands,         // Fit: bands kept as they are
  FitMaxBoost,            // Fit: largest boost
  FitQRange,              // Fit: Q range
  FitSmoothing,           // Fit: smoothing of the measurement
  SmoothingNone,          // Smoothing: none
  SmoothingOctave,        // Smoothing: 1/N octave, %d filled in
  FitFixedOffset,         // Fit: the offset is used as given
  FitRunning,             // Fit: working
  FitRmsError,            // Fit: %.2f before, %.2f after
  FitBefore,              // Fit preview trace: as it is
  FitAfter,               // Fit preview trace: predicted
  Apply,                  // Button: write the result
  FitChannelChanged,      // Fit: the table changed under the dialog
  FitNoMeasurement,       // Fit refused: no measurement
  FitRangeLimits,         // Fit refused: range
  FitRangeOutside,        // Fit refused: four %g, the range and the measurement's
  FitBandCount,           // Fit refused: number of bands
  FitQRangeBad,           // Fit refused: Q range
  FitFewFreeBands,        // Fit refused: %d free bands
  FitTargetCoverage,      // Fit refused: target file too short
  FitAlreadyFlat,         // Fit refused: on target already
  FitNoImprovement,       // Fit refused: nothing better

  // The desktop program: import notice, password fields, appearance and tooltips.
  ImportSuccessful, // Import done: after a successful preset file import
  ShowPassword,     // Show password: the eye in a password field
  Appearance,       // Appearance: System menu
  AppearanceLight,  // Light
  AppearanceDark,   // Dark
  AppearanceSystem, // Follow system

  // Help menu and the support bundle.
  MenuHelp,            // Help menu
  SaveSupportBundle,   // Help: save the support bundle
  SupportBundleSaved,  // The bundle's path follows on a new line; nothing was sent
  SupportBundleFailed, // The reason follows on a new line

  TipMute,          // Mute: tooltip
  TipPolarity,      // Polarity: tooltip
  TipFader,         // A fader: tooltip
  TipValueEdit,     // A value edit: tooltip
  TipBandType,      // Band type list: tooltip
  TipSlope,         // Shelf slope list: tooltip
  TipEqReset,       // PEQ/GEQ RESET: tooltip
  TipEqBypass,      // PEQ/GEQ BYPASS: tooltip
  TipCrossover,     // Crossover type list: tooltip
  TipGraphPoint,    // A graph point: tooltip
  TipGraphFilter,   // The graph's H and L points: tooltip
  TipQHandle,       // The graph's Q handles: tooltip
  TipLinkGroup,     // The home page's link lists: tooltip
  FileMenu,         // File menu
  FileNew,          // File: new show
  FileOpen,         // File: open a show
  FileSaveAs,       // File: save under another name
  RecentFiles,      // File: recent shows
  ToolsMenu,        // Tools menu
  CompareWithFile,  // Tools: table against a file
  CompareTwoFiles,  // Tools: file against file
  StateOnline,      // Status: a device answers
  StateConnecting,  // Status: looking for a device
  StateOffline,     // Status: no device
  Untitled,         // A show never saved
  OutOfSync,        // Status: show and device differ
  UnsavedShow,      // Question before the show is closed
  CompareTitle,     // Compare dialog caption
  SendFileToDevice, // Sync: write the show into the device
  TakeDeviceValues, // Sync: the device's values into the show
  StayOffline,      // Sync: keep the show, send nothing
  ExportCsv,        // Compare: save the list
  DifferenceCount,  // Compare: count, %d filled in
  SideFile,         // Compare column: the show file
  SideDevice,       // Compare column: the device
  Discard,          // Button: drop the changes
  NoDifferences,    // Compare: the two sides agree
  CancelButton,     // Button: go back
  GoOnline,         // File: start the link again after working offline
  GoOffline,        // File: stop the link and edit the show alone
};

inline constexpr std::size_t TEXT_COUNT = static_cast<std::size_t>(Text::GoOffline) + 1;

// The text of `key` in the current language.
std::string_view langText(Text key);

// The text of `key` in `language`. A language outside the three falls back to
// Simplified Chinese, the language the program starts in; a value that is no Text key
// gives an empty text.
std::string_view langText(Text key, LanguageIndex language);

// The key whose English text is exactly `english` ("Remote", "GEQ "); none when the
// table has no such text. Meant for tools and tests.
std::optional<Text> findText(std::string_view english);

} // namespace kv816
