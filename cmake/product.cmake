# The product's fixed numbers, in one place.
set(PRODUCT_NAME "Quillith")
set(PRODUCT_MAKER "YLTERA")
set(PRODUCT_VERSION "5.00")
set(SETUP_FILE_VERSION "2.0.0.7")
set(SETUP_FILE_VERSION_COMMAS "2,0,0,7")
