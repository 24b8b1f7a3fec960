@echo off
REM ********* THIS IS A MACHINE GENERATED FILE - DO NOT EDIT*********
echo hello  world
echo.
echo:x
echo
set NAME=tazu
echo %NAME%-%name%-%UNSET%-100%%
echo %0 %1 [%2] %*
echo %~2
echo %~dp0
set X=1
set X=
echo [%X%]
:label
:: comment
REM echo no
mode con codepage select=850 > NUL
chcp 850
cls
echo one > NUL
PATH=C:\make\;C:\bin;%PATH%
set STATUS=5
pushd C:\work\demo\default\
echo %CD%
record
echo record %ERRORLEVEL%
fail
ok
echo fail then ok %ERRORLEVEL%
fail.exe
rem later lines change nothing

echo fail.exe %ERRORLEVEL%
plain
echo plain %ERRORLEVEL%
C:\bin\fail
echo by path %ERRORLEVEL%
nosuchtool -x
echo nosuchtool %ERRORLEVEL%
C:\none\x.exe
echo missing path %ERRORLEVEL%
IF EXIST x echo y
echo if %ERRORLEVEL%
sort | more
echo pipe %ERRORLEVEL%
pushd C:\does\not\exist\
echo pushd %ERRORLEVEL% %CD%
talk > NUL 2>&1
talk >> NUL 2> NUL
call C:\bin\inner.bat arg
echo call %ERRORLEVEL%
echo after call > NUL
pushd C:\bin
pushd C:\
popd
echo popd %CD%
echo on
echo shown
@exit /b 9
echo never
