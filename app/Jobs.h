#pragma once

namespace cli {
struct Options;
} // namespace cli

// Runs the job the options name on the suite database that the setting files
// of the working directory give, as the screen finds it, and returns the
// exit code (cli::ExitCode, or 128 + n after signal n). Progress and errors
// go to standard error (errors also to the log), the summary line to
// standard output.
//
// A job takes no single-copy lock: it runs beside clerks at the screen.
// Whatever it changes, it changes in one transaction, so a job that fails,
// or is ended by a signal, changes nothing, and a reader in a snapshot (the
// postal-code dialog) sees the table as it was or as the job left it.
//
// Needs a QApplication (the list is painted into a PDF, texts are measured
// in the screen's font); any platform will do, a display is never used.
int RunJob(const cli::Options& options);
