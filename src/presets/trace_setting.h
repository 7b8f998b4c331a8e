#pragma once
// The packet trace as a setting of Configuration.ini, for users who cannot add --trace to
// how the program is started:
//   TraceEnabled=1   records into TraceFile, else <log folder>/trace.txt
//   TraceFile=PATH   alone also turns the trace on (TraceEnabled=0 keeps it off); a
//                    relative PATH is taken in the log folder
// Programs other than kv816 record beside it with their name added (trace-kv816ctl.txt),
// so two programs never write one file. A --trace FILE on the command line wins.

#include "presets/settings.h"

#include <string>

namespace kv816 {

// The trace file `program` records into: `commandLine` when given, else the settings'
// choice; empty when the trace is off.
std::string traceFileFor(const Settings& settings, const std::string& program,
                         const std::string& commandLine, const std::string& logFolder);

} // namespace kv816
