@ECHO OFF
REM build
mode con codepage select=850 > NUL
PATH=C:\tazu\bin;%PATH%
pushd C:\work\demo\default\
tazumake -f Makefile all 2>&1
