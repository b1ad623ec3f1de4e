// mt1d-gui: the window program for one-dimensional magnetotelluric sounding.

#include "gui/app/Launcher.h"

int main(int argc, char** argv)
{
    return mt1d::gui::RunApplication(argc, argv);
}
