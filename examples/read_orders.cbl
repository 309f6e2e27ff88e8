      * Reads the uncompressed form of an order with the copybooks that
      * marlune-layout generates, and shows fields of several records.
      *
      * How to build and run it (GnuCOBOL, Debian package gnucobol3),
      * in a folder holding orders.edi and this program:
      *
      *   marlune-layout --for orders.edi --format cobol --prefix ORD-
      *       > orders.cpy
      *   marlune-layout -D D.96A --format cobol --prefix D96A-
      *       > d96a.cpy
      *   marlune -au orders.edi orders.unc
      *   cobc -x read_orders.cbl
      *   ./read_orders
      *
      * orders.cpy holds exactly the records of orders.edi, whatever
      * release it uses, and ends with ORD-EDI-LINE, as wide as its
      * widest record: COPYed under the FD, every record describes the
      * line just read. d96a.cpy holds every segment of D.96A; its
      * prefix keeps its names apart from those of orders.cpy, so that
      * both stand in one program.
       IDENTIFICATION DIVISION.
       PROGRAM-ID. READORDERS.
       ENVIRONMENT DIVISION.
       INPUT-OUTPUT SECTION.
       FILE-CONTROL.
           SELECT UNC-FILE ASSIGN TO "orders.unc"
               ORGANIZATION IS LINE SEQUENTIAL.
       DATA DIVISION.
       FILE SECTION.
       FD  UNC-FILE.
       COPY "orders.cpy".
       WORKING-STORAGE SECTION.
       01  WS-END                      PIC X VALUE "N".
       01  WS-AMOUNT                   PIC S9(15)V99 VALUE 0.
       01  WS-TOTAL                    PIC S9(15)V99 VALUE 0.
       01  WS-QUANTITY                 PIC 9(15) VALUE 0.
       01  WS-SHOW-AMOUNT              PIC -(14)9.99.
       01  WS-SHOW-QUANTITY            PIC Z(14)9.
       01  WS-AGREES                   PIC 9(4) VALUE 0.
       COPY "d96a.cpy".
       PROCEDURE DIVISION.
           OPEN INPUT UNC-FILE
           PERFORM UNTIL WS-END = "Y"
               READ UNC-FILE
                   AT END MOVE "Y" TO WS-END
                   NOT AT END PERFORM SHOW-LINE
               END-READ
           END-PERFORM
           CLOSE UNC-FILE
           MOVE WS-TOTAL TO WS-SHOW-AMOUNT
           DISPLAY "TOTAL OF AMOUNTS " WS-SHOW-AMOUNT
           DISPLAY "PARTIES READ THE SAME WITH D96A- " WS-AGREES
           STOP RUN.
       SHOW-LINE.
           EVALUATE ORD-EDI-LINE(1:3)
             WHEN "UNH"
               DISPLAY "MESSAGE " FUNCTION TRIM(ORD-UNH-01-0062)
                   " TYPE " FUNCTION TRIM(ORD-UNH-02-0065)
                   " " FUNCTION TRIM(ORD-UNH-03-0052)
                   "." FUNCTION TRIM(ORD-UNH-04-0054)
             WHEN "BGM"
               DISPLAY "DOCUMENT " FUNCTION TRIM(ORD-BGM-05-1004)
                   " NAME CODE " FUNCTION TRIM(ORD-BGM-01-1001)
             WHEN "DTM"
               DISPLAY "DATE " FUNCTION TRIM(ORD-DTM-01-2005)
                   " " FUNCTION TRIM(ORD-DTM-02-2380)
                   " FORMAT " FUNCTION TRIM(ORD-DTM-03-2379)
             WHEN "NAD"
               DISPLAY "PARTY " ORD-NAD-01-3035 " "
                   FUNCTION TRIM(ORD-NAD-02-3039)
                   " AGENCY " FUNCTION TRIM(ORD-NAD-04-3055)
                   " CITY [" FUNCTION TRIM(ORD-NAD-20-3164) "]"
               MOVE ORD-EDI-LINE TO D96A-NAD-RECORD
               IF D96A-NAD-20-3164 = ORD-NAD-20-3164
                   AND D96A-NAD-02-3039 = ORD-NAD-02-3039
                   ADD 1 TO WS-AGREES
               END-IF
             WHEN "LIN"
               DISPLAY "LINE " ORD-LIN-01-1082 " ITEM "
                   FUNCTION TRIM(ORD-LIN-03-7140) " "
                   FUNCTION TRIM(ORD-LIN-04-7143)
             WHEN "QTY"
               COMPUTE WS-QUANTITY = FUNCTION NUMVAL(ORD-QTY-02-6060)
               MOVE WS-QUANTITY TO WS-SHOW-QUANTITY
               DISPLAY "QUANTITY " ORD-QTY-01-6063 " "
                   WS-SHOW-QUANTITY " [" ORD-QTY-03-6411 "]"
             WHEN "MOA"
               COMPUTE WS-AMOUNT = FUNCTION NUMVAL(ORD-MOA-02-5004)
               ADD WS-AMOUNT TO WS-TOTAL
               MOVE WS-AMOUNT TO WS-SHOW-AMOUNT
               DISPLAY "AMOUNT " ORD-MOA-01-5025 " " WS-SHOW-AMOUNT
                   " [" ORD-MOA-03-6345 "]"
             WHEN OTHER
               CONTINUE
           END-EVALUATE.
