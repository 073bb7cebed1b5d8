# The product's payload files: makes ${RES_GEN}/payloads.rc.
file(WRITE ${RES_GEN}/payloads.rc "// payloads come later\n")
