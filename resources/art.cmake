# Icons and the header picture: makes ${RES_GEN}/art.rc.
file(WRITE ${RES_GEN}/art.rc "// artwork comes later\n")
