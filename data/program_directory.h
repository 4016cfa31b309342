#pragma once

#include <QString>
#include <QStringList>

namespace qorvel {

// The folder that holds QORVEL.ini, DATA/ and sysdata/. Chosen once at start-up.
struct HomeSources {
    QString commandLineHome;  // value of --home, empty when not given
    QString environmentHome;  // QORVEL_HOME, empty when unset
    QString executableDir;    // folder of the running program
    QString userDataDir;      // e.g. ~/.local/share/qorvel
};

// First of: --home, QORVEL_HOME, the executable's folder when it already holds
// QORVEL.ini or DATA/ (portable use), else the per-user data folder.
// Returns an absolute path with a trailing separator.
QString chooseHome(const HomeSources& sources);

// Returns the value of --home DIR / --home=DIR in args, or an empty string.
QString homeArgument(const QStringList& args);

// The program directory, always with a trailing '/'. Empty until set.
QString ProgramDirectory();
void setProgramDirectory(const QString& dir);

// Resolves a relative name such as "DATA\\add0001.DBF" below base without regard to
// letter case and with either separator. Each component that exists (exact spelling
// preferred, else any case) is taken as found; the rest is returned as spelled.
QString resolveIgnoringCase(const QString& base, const QString& relative);

// resolveIgnoringCase below ProgramDirectory().
QString homePath(const QString& relative);

// Adds a trailing '/' when missing.
QString withTrailingSeparator(const QString& dir);

struct HomeFolders {
    bool ok = false;
    bool sysdataCreated = false;  // the supplied tables go in when this is set
    QString error;                // names the folder that failed
};

// Creates the home with DATA/ and sysdata/ when missing and checks it can be written.
HomeFolders prepareHomeFolders(const QString& home);

}  // namespace qorvel
