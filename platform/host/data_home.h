// Where an installed program finds the show's data. The system's folders read
// "data/..." relative to the working directory; an installed program's data
// folder lies at a path fixed at build time from the program's own folder
// (bin/ -> share/velmora/data), so before the system starts, the process
// entry makes the folder holding data/ the working directory.
#ifndef VELMORA_PLATFORM_HOST_DATA_HOME_H
#define VELMORA_PLATFORM_HOST_DATA_HOME_H

namespace datahome {

// When this executable runs installed, changes the working directory to the
// folder that holds its data/ and returns true; otherwise changes nothing and
// returns false (a build folder run from where its data/ lies). A program
// that takes paths from the user relative to the working directory (an
// output file) makes them absolute before calling this.
bool enterInstalledDataHome();

}  // namespace datahome

#endif
