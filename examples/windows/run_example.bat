@echo off
rem Writes an example section for each program and the demonstration models
rem into the folder "out" beside this file, then runs jpcp_cracking and
rem jpcp_faulting on them. The programs are taken from ..\bin.
setlocal
set BIN=%~dp0..\bin
set OUT=%~dp0out
if exist "%OUT%" rmdir /s /q "%OUT%"
"%BIN%\jpcp_example.exe" cracking "%OUT%\cracking"
if errorlevel 1 goto failed
"%BIN%\jpcp_example.exe" faulting "%OUT%\faulting"
if errorlevel 1 goto failed
"%BIN%\jpcp_models.exe" demo-cracking "%OUT%\models\cracking"
if errorlevel 1 goto failed
"%BIN%\jpcp_models.exe" demo-faulting "%OUT%\models\faulting"
if errorlevel 1 goto failed
mkdir "%OUT%\cracking-results"
echo Running jpcp_cracking
"%BIN%\jpcp_cracking.exe" "%OUT%\cracking" "%OUT%\cracking-results" "%OUT%\models\cracking"
echo jpcp_cracking: exit status %ERRORLEVEL%, results in %OUT%\cracking-results
echo Running jpcp_faulting
"%BIN%\jpcp_faulting.exe" "%OUT%\faulting" "%OUT%\models\faulting"
echo jpcp_faulting: exit status %ERRORLEVEL%, results in %OUT%\faulting
exit /b 0
:failed
echo The example could not be written.
exit /b 1
