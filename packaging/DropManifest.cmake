# Run by CPack on the staged files before they are packed. dpkg removes a
# package, and unins000 refuses to, so the list it reads is left out.
file(REMOVE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/${CPACK_MURKWELL_MANIFEST}")
