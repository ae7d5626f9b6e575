#include "app/qt/TambleroApp.h"

int main(int argc, char** argv) {
    return tamblero::CTambleroApp::Run(argc, argv);
}
