// qmshow make: a show from the user's own BMP and JPEG pictures.
#pragma once

// The command's arguments after "make"; the exit status (0, 1, 2).
int MakeShowCommand(int argc, char **argv);
