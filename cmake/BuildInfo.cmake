# SPDX-License-Identifier: GPL-3.0-or-later
# The version and the installed data folder reach the programs through one
# generated header (target rlc_build_info).
include(GNUInstallDirs)

# Name of the desktop entry, icon and metadata files.
set(RLC_APP_ID io.github.rlc_logger.rlc_logger)
# Date of this version, for the metadata and the man page.
set(RLC_RELEASE_DATE 2026-12-10)
# Where the project lives and who answers for the package.
set(RLC_HOMEPAGE https://github.com/rlc-logger/rlc-logger)
set(RLC_MAINTAINER "RLC logger developers <rlc-logger@users.noreply.github.com>")
set(RLC_LICENSE GPL-3.0-or-later)

# Data such as the language files: <prefix>/share/rlc-logger.
set(RLC_DATA_DIR ${CMAKE_INSTALL_DATADIR}/rlc-logger)
# The programs find it relative to themselves, so an installed tree can be moved.
file(RELATIVE_PATH RLC_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR}/rlc-logger)

configure_file(${CMAKE_CURRENT_LIST_DIR}/build_info.h.in ${PROJECT_BINARY_DIR}/generated/build_info.h
               @ONLY)
add_library(rlc_build_info INTERFACE)
target_include_directories(rlc_build_info INTERFACE ${PROJECT_BINARY_DIR}/generated)
